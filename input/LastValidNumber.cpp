#include "input/LastValidNumber.h"

#include "platform/Numbers.h"
#include "platform/Text.h"

namespace vsx {

void LastValidNumber::set(std::string_view text)
{
    text_ = std::string(text);
    if (auto v = parseDouble(text)) {
        value_ = *v;
        validText_ = trim(text);
        valid_ = true;
    }
}

} // namespace vsx
