#include "platform/Locale.h"

#include <clocale>

namespace vsx {
void pinNumericLocale() { std::setlocale(LC_NUMERIC, "C"); }
} // namespace vsx
