#pragma once
// The SV column the depth handler corrects with: one velocity per whole metre from the surface
// down. It is a copy taken when a column is made or accepted, so editing the window's text never
// changes a depth half-way and text that is no number never reaches the handler.
#include <optional>
#include <string>
#include <vector>

namespace vsx {

class SoundVelocityColumn {
public:
    SoundVelocityColumn() = default;
    explicit SoundVelocityColumn(std::vector<double> values) : values_(std::move(values)) {}

    // Column lines: every line a velocity strictly between 1300 and 1700 m/s; blank lines at the
    // end are ignored. No value for a column without lines; otherwise, when a line is not usable,
    // no value and `badLine` (from 0) names it.
    static std::optional<SoundVelocityColumn> parse(const std::vector<std::string>& lines, int* badLine = nullptr);

    bool empty() const { return values_.empty(); }
    const std::vector<double>& values() const { return values_; }

    // The velocity for a raw depth in metres: the line ⌊raw + 0.5⌋. A depth beyond the last line
    // takes the last line, the mean of the whole column measured. No value when empty.
    std::optional<double> velocityAt(double rawDepth) const
    {
        if (values_.empty()) return std::nullopt;
        const double line = rawDepth + 0.5;
        if (!(line >= 1.0)) return values_.front();
        if (line >= double(values_.size())) return values_.back();
        return values_[size_t(line)];
    }

private:
    std::vector<double> values_;
};

} // namespace vsx
