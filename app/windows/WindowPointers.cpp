#include "app/windows/WindowPointers.h"

namespace vsx {

TFNav* FNav = nullptr;
TNavset* Navset = nullptr;
TFShape* FShape = nullptr;
TFGPS* FGPS = nullptr;
TfRealtime* fRealtime = nullptr;
TFMsg* FMsg = nullptr;
TOffsets* Offsets = nullptr;
TformAbout* formAbout = nullptr;
TfSVP* fSVP = nullptr;
TfRunline1* fRunline1 = nullptr;
TfLatency* fLatency = nullptr;
TfWaterfal* fWaterfal = nullptr;
TfTheme* fTheme = nullptr;
TfJoystick* fJoystick = nullptr;
TfSVPGraph* fSVPGraph = nullptr;
TfrmNTRIPSettings* frmNTRIPSettings = nullptr;
TfRTCMParsing* fRTCMParsing = nullptr;
TfTranslationEditor* fTranslationEditor = nullptr;

} // namespace vsx
