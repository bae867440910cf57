#pragma once
// Whether the texts a window shows fit their controls: a label's line (or its wrapped lines), a
// button's or a box's caption, a group box's title. Controls that are hidden, or whose window
// is hidden, are not looked at.
#include <QString>
#include <QStringList>

class QWidget;

namespace vsx::test {

// One line per control whose text is cut off, naming the control, its text and the room it had;
// empty when every text fits.
QStringList CutOffTexts(const QWidget* window);

} // namespace vsx::test
