#pragma once
// A number typed into an edit. The text as typed is what the settings file stores; the last
// text that was a number is what readers elsewhere (a timer, a line handler) use, so a
// half-typed or cleared field never hands them something that does not convert.
#include <string>
#include <string_view>

namespace vsx {

class LastValidNumber {
public:
    LastValidNumber() = default;
    explicit LastValidNumber(std::string_view text) { set(text); }

    void set(std::string_view text);

    const std::string& text() const { return text_; }
    // False until some text was a number.
    bool hasValue() const { return valid_; }
    double value() const { return value_; }                       // 0 until then
    const std::string& validText() const { return validText_; }   // "" until then

private:
    std::string text_;
    std::string validText_;
    double value_ = 0.0;
    bool valid_ = false;
};

} // namespace vsx
