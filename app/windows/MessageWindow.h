#pragma once
#include <QWidget>

class QPlainTextEdit;
class QTimer;

namespace vsx {

// The "Message Window": a notice board the main window's device events write into. It hides
// itself 4 s after it became visible, or when its text is clicked (which also empties it).
class MessageWindow : public QWidget {
    Q_OBJECT
public:
    explicit MessageWindow(QWidget* parent = nullptr);

    QPlainTextEdit* Msg;
    QTimer* hideTimer;

    // Adds a line; with `show`, the window appears (a show while visible keeps the 4 s running).
    void AddMessage(const QString& text, bool show);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace vsx
