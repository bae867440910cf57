#pragma once
// The settings side of the further vessels: the [MULTI_VESSEL] and [GPS<n>] sections as the
// three panels of the device settings window show them, and how a save copies them into
// ExtraVessels. Panel values are kept as the texts the controls show.
#include "app/SharedValues.h"
#include "platform/IniFile.h"

#include <array>
#include <string>
#include <vector>

namespace vsx {

inline constexpr int kExtraVesselPanels = 3;  // vessels 2, 3 and 4

// Symbol sizes of a new vessel: those of the own vessel's geometry.
struct VesselSizeDefaults {
    double runlineSpacing = 10.0;
    double bowArrow = 100.0;
    double sideOffset = 10.0;
    double firstRadius = 10.0;
    double circleInterval = 10.0;
    int circleCount = 2;
};

struct ExtraVesselPanelValues {
    bool enabled = false;
    std::string name;
    std::string port;
    std::string baudRate;  // the selected list item, empty when none is selected
    ColorValue color = 255;
    std::string spacing, fwd, side, r1, interval, amount;
};

// The baud rates a panel offers.
const std::vector<std::string>& ExtraVesselBaudRates();

// Reads [GPS<n>] (n = 2, 3, 4) into panel texts. Sizes are shown in their shortest decimal form,
// so opening the window and saving does not round stored sizes.
ExtraVesselPanelValues LoadExtraVesselPanel(const IniFile& ini, int vesselNumber, const VesselSizeDefaults& defaults);

// Writes [MULTI_VESSEL] Count = 3 and the three [GPS<n>] sections (in their key order) and copies
// the settings fields into the entries of `vessels` that exist; run-time fields stay untouched.
void SaveExtraVesselPanels(IniFile& ini, const std::array<ExtraVesselPanelValues, kExtraVesselPanels>& panels,
                           std::vector<MultiVesselEntry>& vessels);

// A new run-line spacing typed into a panel: R1, Int and Side become the spacing and Fwd ten
// times it, each with two decimals. Nothing changes for a spacing of 0 or less.
bool ApplyExtraVesselSpacing(ExtraVesselPanelValues& panel, const std::string& spacingText);

// Reads [MULTI_VESSEL] Count (at most 8) and [GPS2] ... into new entries, as the main window
// does at start.
std::vector<MultiVesselEntry> ReadExtraVessels(const IniFile& ini);

} // namespace vsx
