#pragma once
namespace vsx {
// Qt sets the process locale from the environment; numbers are always read and written with
// '.', so the numeric category is pinned to "C" right after the application object is made.
void pinNumericLocale();
} // namespace vsx
