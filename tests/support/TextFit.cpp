#include "support/TextFit.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionButton>
#include <QToolButton>

namespace vsx::test {
namespace {

// The text as drawn: a single "&" marks the mnemonic and is not shown, "&&" shows as "&".
QString shownText(QString text)
{
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove('&');
    text.replace(QChar(0x01), QChar('&'));
    return text;
}

int widestLine(const QFontMetrics& fm, const QString& text)
{
    int widest = 0;
    for (const QString& line : text.split('\n')) widest = std::max(widest, fm.horizontalAdvance(line));
    return widest;
}

QString describe(const QWidget* w, const QString& text, const QString& room)
{
    return QStringLiteral("%1 '%2' \"%3\": %4")
        .arg(QString::fromLatin1(w->metaObject()->className()), w->objectName(), text, room);
}

// A label fits when it has at least the room its text asks for: the width of its longest line
// (or, wrapped, of its longest word) and the height of all its lines at its width.
void checkLabel(const QLabel* l, QStringList& out)
{
    // A label with a buddy shows a mnemonic as its buddy's shortcut; without one, "&" is a letter.
    const QString text = l->buddy() ? shownText(l->text()) : l->text();
    if (text.isEmpty() || Qt::mightBeRichText(text)) return;
    const QRect room = l->contentsRect().adjusted(l->margin(), l->margin(), -l->margin(), -l->margin());
    const QFontMetrics fm(l->font());
    if (l->wordWrap()) {
        static const QRegularExpression blanks(QStringLiteral("\\s+"));
        int widestWord = 0;
        for (const QString& word : text.split(blanks, Qt::SkipEmptyParts))
            widestWord = std::max(widestWord, fm.horizontalAdvance(word));
        const int needed = l->heightForWidth(l->width());
        if (widestWord > room.width() || needed > l->height())
            out << describe(l, text,
                            QStringLiteral("wrapped into %1x%2, needs %3 high (widest word %4)")
                                .arg(l->width())
                                .arg(l->height())
                                .arg(needed)
                                .arg(widestWord));
        return;
    }
    const QStringList lines = text.split('\n');
    const int width = widestLine(fm, text), height = fm.height() * int(lines.size());
    if (width > room.width() || height > room.height())
        out << describe(l, text,
                        QStringLiteral("needs %1x%2, has %3x%4").arg(width).arg(height).arg(room.width()).arg(room.height()));
}

void checkPushButton(const QPushButton* b, QStringList& out)
{
    const QString text = shownText(b->text());
    if (text.isEmpty()) return;
    QStyleOptionButton opt;
    opt.initFrom(b);
    opt.rect = b->rect();
    opt.text = text;
    const QRect contents = b->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, b);
    int needed = widestLine(QFontMetrics(b->font()), text);
    if (!b->icon().isNull()) needed += b->iconSize().width() + 4;
    if (needed > contents.width())
        out << describe(b, text, QStringLiteral("needs %1 wide, has %2").arg(needed).arg(contents.width()));
}

// Check boxes, radio buttons and tool buttons ask for exactly their indicator, icon and text.
void checkAskedSize(const QAbstractButton* b, QStringList& out)
{
    if (b->text().isEmpty()) return;
    const QSize asked = b->sizeHint();
    if (asked.width() > b->width() || asked.height() > b->height())
        out << describe(b, shownText(b->text()),
                        QStringLiteral("asks %1x%2, has %3x%4")
                            .arg(asked.width())
                            .arg(asked.height())
                            .arg(b->width())
                            .arg(b->height()));
}

void checkGroupTitle(const QGroupBox* g, QStringList& out)
{
    const QString text = shownText(g->title());
    if (text.isEmpty()) return;
    // The title sits inside the frame, a few pixels in from each side.
    const int needed = QFontMetrics(g->font()).horizontalAdvance(text) + 12;
    if (needed > g->width()) out << describe(g, text, QStringLiteral("needs %1 wide, has %2").arg(needed).arg(g->width()));
}

void check(const QWidget* w, QStringList& out)
{
    if (!w->isVisible()) return;
    if (auto* l = qobject_cast<const QLabel*>(w)) checkLabel(l, out);
    else if (auto* p = qobject_cast<const QPushButton*>(w)) checkPushButton(p, out);
    else if (auto* b = qobject_cast<const QAbstractButton*>(w)) {
        if (qobject_cast<const QCheckBox*>(b) || qobject_cast<const QRadioButton*>(b) ||
            qobject_cast<const QToolButton*>(b))
            checkAskedSize(b, out);
    } else if (auto* g = qobject_cast<const QGroupBox*>(w))
        checkGroupTitle(g, out);
}

} // namespace

QStringList CutOffTexts(const QWidget* window)
{
    QStringList out;
    if (!window->isVisible()) return out;
    for (const QWidget* w : window->findChildren<QWidget*>())
        if (w->window() == window) check(w, out);
    return out;
}

} // namespace vsx::test
