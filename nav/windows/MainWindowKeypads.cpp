// The main window's on-screen keypad and keyboard, and the translation editor it opens: small
// services other windows ask for (a field of the offsets window typed on a touch screen).
#include "nav/windows/MainWindow.h"

#include "app/windows/TranslationEditorWindow.h"
#include "app/windows/OnScreenKeypads.h"
#include "app/windows/WindowPointers.h"
#include "app/windows/WindowTranslation.h"
#include "app/windows/WindowSetup.h"

namespace vsx {
namespace {

// Puts a panel on the main window's client area, `left` from its left edge and 10 pixels above
// its bottom, in front of everything.
void showPanel(QWidget* panel, QWidget* window, int left)
{
    TranslateComponent(panel);  // made on first need, after the window's own translation
    panel->move(left, window->height() - panel->height() - 10);
    panel->show();
    panel->raise();
}

} // namespace

void MainWindow::ShowNumericKeypad(QWidget* target)
{
    if (!numericKeypad_) numericKeypad_ = new NumericKeypad(this);
    numericKeypad_->Target = target;
    HidePanelWithTarget(numericKeypad_, target);
    showPanel(numericKeypad_, this, width() - numericKeypad_->width() - 10);
}

void MainWindow::ShowSimpleKeyboard(QWidget* target)
{
    if (!simpleKeyboard_) simpleKeyboard_ = new SimpleKeyboard(this);
    simpleKeyboard_->Target = target;
    HidePanelWithTarget(simpleKeyboard_, target);
    showPanel(simpleKeyboard_, this, (width() - simpleKeyboard_->width()) / 2);
}

void MainWindow::onTranslationEditorTriggered()
{
    if (!fTranslationEditor) {
        // Owned by the application, kept for the rest of the run.
        fTranslationEditor = new TranslationEditorWindow();
        connect(this, &QObject::destroyed, fTranslationEditor, [] {
            delete fTranslationEditor;
            fTranslationEditor = nullptr;
        });
    }
    BringToUser(fTranslationEditor);
}

} // namespace vsx
