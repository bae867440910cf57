// The main window's side of the map's datum and projection: settings that cannot be used are
// said where the surveyor sees them, instead of a map that silently stays empty.
#include "nav/windows/MainWindow.h"

#include "app/Settings.h"
#include "app/Translated.h"
#include "app/TranslationManager.h"

#include <QStatusBar>

namespace vsx {

const ProjectionSnapshot* MainWindow::mapSnapshot(GridProjection projection)
{
    const ProjectionSnapshot* s = snapshot_.Get();
    std::string problem;
    const char* lead = nullptr;  // the English form of the status text, for the interface's language
    std::string reason;
    if (!s) {
        lead = "Geodetic parameters not usable: %1";
        reason = snapshot_.Problem();
    } else if (const std::string& p = s->projectionProblem(projection); !p.empty()) {
        lead = "Projection not usable: %1";
        reason = p;
    }
    if (lead) problem = QString::fromUtf8(lead).arg(QString::fromStdString(reason)).toStdString();
    // Once per problem: the loop asks at every tick, and a new snapshot that is fine clears it.
    if (problem != reportedSnapshotProblem_) {
        reportedSnapshotProblem_ = problem;
        if (!problem.empty()) {
            // The reason is the geodesy's own English detail, shown in the language where known.
            const QString why = QString::fromStdString(Translator ? Translator->TranslateIfKnown(reason) : reason);
            setStatusPanelWords(0, lead, {why}, 20);
            sStatusBar->setToolTip(translatedArgs("%1 (see the settings window's Geodetic Parameters sheet)",
                                                  {translatedArgs(lead, {why})}));
            AppendEventLine(problem, EventsLogFileName());
        } else {
            sStatusBar->setToolTip(QString());
        }
    }
    return s;
}

} // namespace vsx
