#pragma once
// The datum and projection positions are converted with, named for the surveyor: the datum's
// name with the numbers it stands for, and the projection in use with its parameters. Two
// settings that convert alike are named alike, so comparing the names tells whether records
// made with one would differ from records made with the other.
#include <string>

namespace vsx {

struct GeodesyInForce {
    std::string datum;       // "ED50 (a=6378388, f=297, DX=-87, DY=-98, DZ=-121, RX=0, RY=0, RZ=0, PPM=0)"
    std::string projection;  // "TM (CM=27, RefLat=0, SF=0.9996, FE=500000, FN=0)"
    bool operator==(const GeodesyInForce&) const = default;
};

} // namespace vsx
