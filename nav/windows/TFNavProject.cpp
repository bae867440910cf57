// The main window's time-stamped save of the drawing (menu Save, the close, the offsets window's
// start and the other windows' auto-save).
#include "nav/windows/TFNav.h"

#include "app/Translated.h"
#include "app/Settings.h"
#include "app/SharedValues.h"
#include "app/windows/WindowPointers.h"
#include "canvas/DrawingFileError.h"
#include "canvas/ProjectFile.h"
#include "canvas/VeldorCanvas.h"
#include "nav/AutoSave.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "tools/windows/TfSVP.h"

#include <QStatusBar>

namespace vsx {

namespace {
// The sound-velocity tables in use go beside the day's drawings, whether or not the drawing
// could be saved; a copy that fails is said.
void saveSoundVelocityCopies(QStatusBar* statusBar)
{
    std::string error;
    if (!fSVP || fSVP->SaveDayCopiesIfInUse(&error)) return;
    AppendEventLine("Auto-save: " + error, EventsLogFileName());
    if (statusBar) statusBar->showMessage(QString::fromStdString(error), 10000);
}
} // namespace

void TFNav::Save1Click()
{
    if (!fcad) return;
    const std::string path = AutoSaveFileName(ProjectFolder, localNow());
    try {
        // The grid and the vessel are drawn anew by the loops; they are not part of the drawing.
        CanvasModel& model = fcad->Model();
        if (GridLayerId >= 0) model.DeleteLayerShapes(GridLayerId);
        if (VesselLayerId >= 0) model.DeleteLayerShapes(VesselLayerId);
        makeFolders(ProjectFolder);
        SaveShapeFile(model, path, 0, false);
        AppendEventLine("Auto-saved: " + path, EventsLogFileName());
    } catch (const std::exception& e) {
        // The previous file stays whole; the surveyor must still learn that this save failed.
        AppendEventLine(std::string("Auto-save failed: ") + e.what(), EventsLogFileName());
        if (sStatusBar) sStatusBar->showMessage(translatedArgs("Auto-save failed: %1", {QString::fromStdString(e.what())}), 10000);
        saveSoundVelocityCopies(sStatusBar);
        return;
    }
    {
        IniFile ini(GetIniFileName());
        ini.writeString("FILE", "Last File Saved       ", path);
    }
    setWindowTitle(QStringLiteral("Veldor Sondrix - ") + QString::fromStdString(path));
    ShowFileInStatusBar(path);
    saveSoundVelocityCopies(sStatusBar);
}

} // namespace vsx
