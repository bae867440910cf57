#pragma once
// Small looks several tool windows share.
class QColor;
class QWidget;

namespace vsx {

// A title bar with only a close button (a single-line border, no minimise or maximise).
void KeepOnlyCloseButton(QWidget* window);
// A title bar with no buttons at all.
void KeepNoTitleButtons(QWidget* window);
void SetBackground(QWidget* widget, const QColor& colour);

} // namespace vsx
