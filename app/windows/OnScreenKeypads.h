#pragma once
// On-screen numeric keypad and simple keyboard for touch screens on board: each types into one
// target field at a time by reading its whole text, changing it and writing it back. Their keys
// never take the focus, so the target keeps its caret. "Enter" hides the panel; the main window
// shows it again with a new target.
#include <QFrame>
#include <QPointer>
#include <vector>

class QPushButton;

namespace vsx {

// The text of a target: a line edit (with or without an input mask) or a combo box; any other
// control has none and receives nothing.
QString KeypadTargetText(const QWidget* target);
void SetKeypadTargetText(QWidget* target, const QString& text);

// Hides a keypad or keyboard panel when the field it types into, or the window holding that
// field, is hidden, closed or destroyed: a panel never stays on the map for a window that is gone.
void HidePanelWithTarget(QWidget* panel, QWidget* target);

class NumericKeypad : public QFrame {
    Q_OBJECT
public:
    explicit NumericKeypad(QWidget* parent = nullptr);

    QPointer<QWidget> Target;
    QPushButton* Key(int index) const { return keys_[std::size_t(index)]; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void keyPressed(int index);
    std::vector<QPushButton*> keys_;
};

class SimpleKeyboard : public QFrame {
    Q_OBJECT
public:
    explicit SimpleKeyboard(QWidget* parent = nullptr);

    QPointer<QWidget> Target;
    bool ShiftActive = false;
    // The character keys in layout order (digits first), then the four named keys.
    const std::vector<QPushButton*>& CharacterKeys() const { return characters_; }
    QPushButton* ShiftKey = nullptr;
    QPushButton* SpaceKey = nullptr;
    QPushButton* BackKey = nullptr;
    QPushButton* EnterKey = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPushButton* addKey(const QString& caption, int left, int top, int width, bool bold = false);
    void characterPressed(QPushButton* key);
    void relabel();
    std::vector<QPushButton*> characters_;
};

} // namespace vsx
