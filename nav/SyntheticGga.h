#pragma once
// The GGA sentence made for a sensor point of the vessel, so that other programs see the sensor
// as if a receiver sat on it: the antenna's time and fix quality, the sensor's position, and
// fixed placeholder values for the rest.
#include <string>
#include <string_view>

namespace vsx {

// The first two letters of the sensor's name in upper case, or "GP" when the name does not start
// with two ASCII letters (the address field of a sentence holds letters only).
std::string SensorTalker(std::string_view sensorName);

// "$<talker>GGA,<time>,<ddmm.mmmmmm>,N|S,<dddmm.mmmmmm>,E|W,<q>,00,0.0,0.0,M,0.0,M,,*hh".
// `timeField` goes in as it is: the antenna sentence's own "hhmmss.ss". Minutes are rounded to
// six decimals before degrees and minutes are split, so 59.9999996' becomes the next whole
// degree, never "60.000000".
std::string BuildSyntheticGga(std::string_view talker, std::string_view timeField, double latitude, double longitude,
                              int fixQuality);

// "hhmmss.00" of a time text "hh:mm:ss" (its colons dropped), for an antenna time known to the
// whole second only.
std::string SyntheticTimeField(std::string_view timeText);

// Two upper-case hexadecimal digits of the exclusive-or of every byte of the body.
std::string NmeaChecksumText(std::string_view body);

} // namespace vsx
