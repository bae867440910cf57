// The main window's project-file commands: New, Open, Save (the time-stamped save with the day's
// sound-velocity copies, also run by the close, the offsets window's start and the other
// windows), Save As and Exit.
#include "nav/windows/MainWindow.h"

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
#include "platform/Prompts.h"
#include "tools/windows/SoundVelocityWindow.h"

#include <QStatusBar>

#include <filesystem>

namespace vsx {

namespace {

QString tr8(const std::string& s) { return QString::fromUtf8(s.c_str(), int(s.size())); }

const char* const kProjectFilters = "Veldor Sondrix [*.vltx] (*.vltx);;All Files [*.*] (*)";

// The grid and the vessel are drawn anew by the loops; project files never hold them.
void clearLoopLayers(CanvasModel& model)
{
    for (const char* name : {"Veldor Grid", "~~Veldor Vessel"})
        if (const int id = model.FindLayer(name); id >= 0) model.DeleteLayerShapes(id);
}

// The sound-velocity tables in use go beside the day's drawings, whether or not the drawing
// could be saved; a copy that fails is said.
void saveSoundVelocityCopies(QStatusBar* statusBar)
{
    std::string error;
    if (!fSVP || fSVP->SaveDayCopiesIfInUse(&error)) return;
    AppendEventLine("Auto-save: " + error, EventsLogFileName());
    if (statusBar) statusBar->showMessage(QString::fromStdString(error), 10000);
}

// After New or Open the user's next shape goes where it went before (or to the user layer).
void restoreCurrentLayer(CanvasModel& model, int previous)
{
    model.SetCurrentLayer(model.FindLayerById(previous) ? previous : std::max(UserShapeLayerId, 0));
}

} // namespace

bool MainWindow::AutoSave(std::string* error)
{
    if (!fcad) return false;
    const std::string path = AutoSaveFileName(ProjectFolder, localNow());
    try {
        clearLoopLayers(fcad->Model());
        if (!makeFolders(ProjectFolder)) throw DrawingFileError("the project folder " + ProjectFolder + " cannot be made");
        SaveShapeFile(fcad->Model(), path, 0, false);
        AppendEventLine("Auto-saved: " + path, EventsLogFileName());
    } catch (const std::exception& e) {
        // The previous file stays whole; the surveyor must still learn that this save failed.
        const std::string why = std::string("Auto-save failed: ") + path + ": " + e.what();
        AppendEventLine(why, EventsLogFileName());
        if (sStatusBar)
            sStatusBar->showMessage(translatedArgs("Auto-save failed: %1", {tr8(path + ": " + e.what())}), 30000);
        if (error) *error = e.what();
        saveSoundVelocityCopies(sStatusBar);
        return false;
    }
    try {
        IniFile ini(GetIniFileName());
        ini.writeString("FILE", "Last File Saved       ", path);
    } catch (const std::exception&) {
        // The drawing is saved; only the next start's choice of file is affected.
    }
    setWindowTitle(QStringLiteral("Veldor Sondrix - ") + tr8(path));
    ShowFileInStatusBar(path);
    saveSoundVelocityCopies(sStatusBar);
    return true;
}

void MainWindow::onSaveTriggered() { AutoSave(); }

void MainWindow::onSaveClicked()
{
    std::string error;
    if (!AutoSave(&error))
        prompts().message(translatedArgs("The drawing could not be saved: %1", {tr8(error)}), {}, PromptKind::Error);
}

void MainWindow::onNewTriggered()
{
    if (prompts().ask(translated("Entire layout will be cleared! Continue?"), {}, {PromptAnswer::Yes, PromptAnswer::No},
                      PromptKind::Warning) != PromptAnswer::Yes)
        return;
    CanvasModel& model = fcad->Model();
    model.DeleteLayerShapes(-1);  // every layer's shapes; ids start again at 1
    model.ClearSoundings();
    model.ClearEventMarkers();
    AppendEventLine("New layout - cleared all shapes", EventsLogFileName());
    EnsureStandardLayers(&model);
    model.SetLayerOption(UserShapeLayerId, 15);
    model.SetCurrentLayer(UserShapeLayerId);
}

void MainWindow::onOpenTriggered()
{
    const FileChoice choice =
        prompts().chooseOpenFile(this, {translated("Dialog Open"), translated(kProjectFilters), {}, 1, {}});
    if (choice.path.isEmpty()) return;
    const std::string path = choice.path.toStdString();
    CanvasModel& model = fcad->Model();
    const int previous = model.CurrentLayer();
    try {
        // The file is read and checked whole before the drawing is touched; it is then added to
        // what the map holds.
        if (!LoadShapeFile(model, path, 0, 0, 2)) throw DrawingFileError("the file " + path + " does not exist");
    } catch (const std::exception& e) {
        prompts().message(translatedArgs("Failed to open project: %1", {tr8(e.what())}), {}, PromptKind::Error);
        return;
    }
    ShowFileInStatusBar(path);
    AppendEventLine("Opened file: " + path, EventsLogFileName());
    clearLoopLayers(model);
    EnsureStandardLayers(&model);
    model.SetLayerOption(UserShapeLayerId, 15);
    restoreCurrentLayer(model, previous);
    model.Redraw();
}

void MainWindow::onSaveAsTriggered()
{
    FileChoice choice = prompts().chooseSaveFile(
        this, {translated("Dialog Save"), translated(kProjectFilters), {}, 1, {"vltx", ""}});
    if (choice.path.isEmpty()) return;
    std::string path = choice.path.toStdString();
    if (std::filesystem::path(path).extension().empty() && choice.filterRow == 1) {
        // The name the dialog saw had no extension: ask before replacing the file it now names.
        path += ".vltx";
        if (fileExists(path) &&
            prompts().ask(translated("The file already exists. Replace it?") + "\n" + tr8(path), {},
                          {PromptAnswer::No, PromptAnswer::Yes}, PromptKind::Warning) != PromptAnswer::Yes)
            return;
    }
    try {
        clearLoopLayers(fcad->Model());
        SaveShapeFile(fcad->Model(), path, 0, false);
    } catch (const std::exception& e) {
        prompts().message(translatedArgs("Failed to save project: %1", {tr8(e.what())}), {}, PromptKind::Error);
        return;
    }
    setWindowTitle(QStringLiteral("Veldor Sondrix  <") + tr8(path) + ">");
    AppendEventLine("Saved As: " + path, EventsLogFileName());
}

void MainWindow::onExitTriggered()
{
    // The close saves the drawing (once), the window placements and the view.
    close();
}

} // namespace vsx
