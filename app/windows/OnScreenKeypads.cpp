#include "app/windows/OnScreenKeypads.h"

#include "app/windows/WindowTranslation.h"
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

namespace vsx {

QString KeypadTargetText(const QWidget* target)
{
    if (auto* edit = qobject_cast<const QLineEdit*>(target)) return edit->text();
    if (auto* combo = qobject_cast<const QComboBox*>(target)) return combo->currentText();
    return {};
}

void SetKeypadTargetText(QWidget* target, const QString& text)
{
    if (auto* edit = qobject_cast<QLineEdit*>(target)) {
        // As if typed: the edit's own change handlers run.
        edit->setText(text);
        edit->setCursorPosition(int(text.size()));
    } else if (auto* combo = qobject_cast<QComboBox*>(target)) {
        if (combo->isEditable()) combo->setEditText(text);
        else if (const int i = combo->findText(text); i >= 0) combo->setCurrentIndex(i);
    }
}

namespace {

// Watches one target field and its window for the panel it belongs to.
class TargetWatch : public QObject {
public:
    TargetWatch(QWidget* panel, QWidget* target) : QObject(panel), panel_(panel), target_(target), window_(target->window())
    {
        target->installEventFilter(this);
        if (window_ != target) window_->installEventFilter(this);
        connect(target, &QObject::destroyed, this, [this] { hidePanel(); });
    }
    ~TargetWatch() override
    {
        if (target_) target_->removeEventFilter(this);
        if (window_) window_->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if ((event->type() == QEvent::Hide || event->type() == QEvent::Close) && !event->spontaneous()) hidePanel();
        return QObject::eventFilter(watched, event);
    }

private:
    void hidePanel()
    {
        if (panel_) panel_->hide();
        deleteLater();
    }
    QPointer<QWidget> panel_, target_, window_;
};

} // namespace

void HidePanelWithTarget(QWidget* panel, QWidget* target)
{
    if (!panel) return;
    // One watch per panel: the one for an earlier target goes.
    for (QObject* child : panel->children())
        if (auto* watch = dynamic_cast<TargetWatch*>(child)) delete watch;
    if (target) new TargetWatch(panel, target);
}

namespace {

QPushButton* makeKey(QWidget* parent, const QString& caption, QRect geometry, bool bold)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QStringLiteral("Key_") + caption);
    b->setGeometry(geometry);
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoDefault(false);
    QFont f = b->font();
    f.setPointSize(10);
    f.setBold(bold);
    b->setFont(f);
    b->setStyleSheet(QStringLiteral("color: black;"));
    return b;
}

// The orange frame both panels draw over their black face.
void paintFrame(QWidget* w)
{
    QPainter p(w);
    p.fillRect(w->rect(), Qt::black);
    QPen pen(QColor(0xFF, 0xA5, 0x00));
    pen.setWidth(3);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(QPoint(1, 1), QPoint(w->width() - 2, w->height() - 2)));
}

} // namespace

NumericKeypad::NumericKeypad(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("VeldorNumericKeypad"));
    setFixedSize(170, 200);
    static const char* const captions[12] = {"7", "8", "9", "4", "5", "6", "1", "2", "3", "Back", "0", "Enter"};
    for (int i = 0; i < 12; ++i) {
        QPushButton* b = makeKey(this, QString::fromLatin1(captions[i]), QRect((i % 3) * 55 + 5, (i / 3) * 50 + 5, 50, 45), true);
        connect(b, &QPushButton::clicked, this, [this, i] { keyPressed(i); });
        keys_.push_back(b);
    }
}

void NumericKeypad::keyPressed(int index)
{
    if (!Target) return;
    // Keys are told apart by their place: "Back" and "Enter" show in the interface's language.
    constexpr int kBack = 9, kEnter = 11;
    if (index == kEnter) {
        hide();
        return;
    }
    const QString caption = keys_[std::size_t(index)]->text();
    const QString text = KeypadTargetText(Target);
    if (index == kBack) {
        if (!text.isEmpty()) SetKeypadTargetText(Target, text.left(text.size() - 1));
        return;
    }
    SetKeypadTargetText(Target, text + caption);
}

void NumericKeypad::paintEvent(QPaintEvent*) { paintFrame(this); }

SimpleKeyboard::SimpleKeyboard(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("VeldorSimpleKeyboard"));
    setFixedSize(420, 200);
    const auto row = [this](const char* keys, int left, int top) {
        for (int i = 0; keys[i]; ++i) {
            QPushButton* b = addKey(QString(QChar(keys[i])), left + i * 41, top, 38);
            MarkAsValue(b);  // a character is typed as it shows, in every language
            characters_.push_back(b);
            connect(b, &QPushButton::clicked, this, [this, b] { characterPressed(b); });
        }
    };
    row("1234567890", 3, 3);
    row("QWERTYUIOP", 3, 44);
    row("ASDFGHJKL", 22, 85);
    ShiftKey = addKey(QStringLiteral("Shift"), 3, 126, 48);
    row("ZXCVBNM", 54, 126);
    BackKey = addKey(QStringLiteral("Back"), 341, 126, 53);
    SpaceKey = addKey(QStringLiteral("Space"), 44, 167, 250);
    EnterKey = addKey(QStringLiteral("Enter"), 297, 167, 80, true);
    connect(ShiftKey, &QPushButton::clicked, this, [this] {
        ShiftActive = !ShiftActive;
        relabel();
    });
    connect(BackKey, &QPushButton::clicked, this, [this] {
        const QString text = KeypadTargetText(Target);
        if (!text.isEmpty()) SetKeypadTargetText(Target, text.left(text.size() - 1));
    });
    connect(SpaceKey, &QPushButton::clicked, this, [this] { SetKeypadTargetText(Target, KeypadTargetText(Target) + ' '); });
    connect(EnterKey, &QPushButton::clicked, this, &QWidget::hide);
}

QPushButton* SimpleKeyboard::addKey(const QString& caption, int left, int top, int width, bool bold)
{
    return makeKey(this, caption, QRect(left, top, width, 38), bold);
}

void SimpleKeyboard::characterPressed(QPushButton* key)
{
    if (!Target) return;
    SetKeypadTargetText(Target, KeypadTargetText(Target) + key->text());
    if (ShiftActive) {
        ShiftActive = false;
        relabel();
    }
}

void SimpleKeyboard::relabel()
{
    if (characters_.size() <= 10) return;
    for (std::size_t i = 10; i < characters_.size(); ++i) {
        const QString c = characters_[i]->text();
        if (c.size() == 1 && c[0].isLetter()) characters_[i]->setText(ShiftActive ? c.toUpper() : c.toLower());
    }
}

void SimpleKeyboard::paintEvent(QPaintEvent*) { paintFrame(this); }

} // namespace vsx
