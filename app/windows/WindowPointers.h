#pragma once
// One process-wide pointer per long-lived window, named after the window's object name. Each is
// null until its window is made and cleared before the window is destroyed.
namespace vsx {

class TFNav;
class TNavset;
class TFShape;
class TFGPS;
class TfRealtime;
class TFMsg;
class TOffsets;
class TformAbout;
class TfSVP;
class TfRunline1;
class TfLatency;
class TfWaterfal;
class TfTheme;
class TfJoystick;
class TfSVPGraph;
class TfrmNTRIPSettings;
class TfRTCMParsing;
class TfTranslationEditor;

extern TFNav* FNav;
extern TNavset* Navset;
extern TFShape* FShape;
extern TFGPS* FGPS;
extern TfRealtime* fRealtime;
extern TFMsg* FMsg;
extern TOffsets* Offsets;
extern TformAbout* formAbout;
extern TfSVP* fSVP;
extern TfRunline1* fRunline1;
extern TfLatency* fLatency;
extern TfWaterfal* fWaterfal;
extern TfTheme* fTheme;
extern TfJoystick* fJoystick;
extern TfSVPGraph* fSVPGraph;
extern TfrmNTRIPSettings* frmNTRIPSettings;
extern TfRTCMParsing* fRTCMParsing;
// Made by the main window on first use.
extern TfTranslationEditor* fTranslationEditor;

} // namespace vsx
