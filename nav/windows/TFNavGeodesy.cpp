// The main window's side of the map's datum and projection: settings that cannot be used are
// said where the surveyor sees them, instead of a map that silently stays empty.
#include "nav/windows/TFNav.h"

#include "app/Settings.h"

#include <QStatusBar>

namespace vsx {

const ProjectionSnapshot* TFNav::mapSnapshot(GridProjection projection)
{
    const ProjectionSnapshot* s = snapshot_.Get();
    std::string problem;
    if (!s) problem = "Geodetic parameters not usable: " + snapshot_.Problem();
    else if (const std::string& p = s->projectionProblem(projection); !p.empty()) problem = "Projection not usable: " + p;
    // Once per problem: the loop asks at every tick, and a new snapshot that is fine clears it.
    if (problem != reportedSnapshotProblem_) {
        reportedSnapshotProblem_ = problem;
        if (!problem.empty()) {
            const QString text = QString::fromStdString(problem);
            setStatusPanel(0, text, 20);
            sStatusBar->setToolTip(text + QStringLiteral(" (see the settings window's Godetic Parameters sheet)"));
            AppendEventLine(problem, EventsLogFileName());
        } else {
            sStatusBar->setToolTip(QString());
        }
    }
    return s;
}

} // namespace vsx
