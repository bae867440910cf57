#pragma once
// A string that costs one pointer while empty. Shapes carry a name and a label that are almost
// always empty; with a million track segments two std::string members would cost 64 MB.
#include <memory>
#include <string>
#include <string_view>

namespace vsx {

class CompactText {
public:
    CompactText() = default;
    CompactText(std::string_view s) { assign(s); }
    CompactText(const char* s) { assign(s ? std::string_view(s) : std::string_view()); }
    CompactText(const std::string& s) { assign(s); }
    CompactText(const CompactText& o) { assign(o.view()); }
    CompactText(CompactText&&) noexcept = default;
    CompactText& operator=(const CompactText& o) { if (this != &o) assign(o.view()); return *this; }
    CompactText& operator=(CompactText&&) noexcept = default;
    CompactText& operator=(std::string_view s) { assign(s); return *this; }
    CompactText& operator=(const std::string& s) { assign(s); return *this; }
    CompactText& operator=(const char* s) { assign(s ? std::string_view(s) : std::string_view()); return *this; }

    std::string_view view() const { return text_ ? std::string_view(*text_) : std::string_view(); }
    std::string str() const { return text_ ? *text_ : std::string(); }
    operator std::string_view() const { return view(); }
    bool empty() const { return !text_; }
    std::size_t size() const { return text_ ? text_->size() : 0; }

    friend bool operator==(const CompactText& a, std::string_view b) { return a.view() == b; }
    friend bool operator==(const CompactText& a, const CompactText& b) { return a.view() == b.view(); }
    friend bool operator==(const CompactText& a, const char* b) { return a.view() == std::string_view(b ? b : ""); }
    friend bool operator==(const CompactText& a, const std::string& b) { return a.view() == std::string_view(b); }

private:
    void assign(std::string_view s) { text_ = s.empty() ? nullptr : std::make_unique<std::string>(s); }
    std::unique_ptr<std::string> text_;
};

} // namespace vsx
