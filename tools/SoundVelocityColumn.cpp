#include "tools/SoundVelocityColumn.h"

#include "platform/Numbers.h"
#include "platform/Text.h"
#include "tools/SoundVelocityProfile.h"

namespace vsx {

std::optional<SoundVelocityColumn> SoundVelocityColumn::parse(const std::vector<std::string>& lines, int* badLine)
{
    if (badLine) *badLine = -1;
    size_t count = lines.size();
    while (count > 0 && trimView(lines[count - 1]).empty()) --count;
    if (count == 0) return std::nullopt;
    std::vector<double> values;
    values.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const std::optional<double> v = parseDouble(lines[i]);
        if (!v || !(*v > kColumnSvLow && *v < kColumnSvHigh)) {
            if (badLine) *badLine = int(i);
            return std::nullopt;
        }
        values.push_back(*v);
    }
    return SoundVelocityColumn(std::move(values));
}

} // namespace vsx
