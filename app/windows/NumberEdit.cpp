#include "app/windows/NumberEdit.h"

#include "platform/Numbers.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

namespace vsx {

NumberEdit::NumberEdit(Kind kind, double initial, QWidget* parent) : QLineEdit(parent), kind_(kind), value_(initial)
{
    // Connected first, so the value is current in every handler connected later.
    connect(this, &QLineEdit::textChanged, this, &NumberEdit::onTextChanged);
}

void NumberEdit::onTextChanged(const QString& text)
{
    const std::string t = text.toStdString();
    if (kind_ == Kind::Integer) {
        const auto v = parseInteger(t);
        textIsNumber_ = v && *v >= INT_MIN && *v <= INT_MAX;
        if (textIsNumber_) value_ = double(*v);
    } else {
        const auto v = parseDouble(t);
        textIsNumber_ = v.has_value();
        if (textIsNumber_) value_ = *v;
    }
}

void NumberEdit::setSpinRange(double minimum, double maximum, double step)
{
    spins_ = true;
    min_ = minimum;
    max_ = maximum;
    step_ = step;
}

void NumberEdit::stepBy(int steps)
{
    if (!spins_) return;
    const double v = std::clamp(value_ + steps * step_, min_, max_);
    setText(QString::fromStdString(kind_ == Kind::Integer ? formatInt((long long)v) : formatGeneral(v)));
}

void NumberEdit::keyPressEvent(QKeyEvent* event)
{
    if (spins_ && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
        stepBy(event->key() == Qt::Key_Up ? 1 : -1);
        return;
    }
    QLineEdit::keyPressEvent(event);
}

QWidget* NumberEdit::withSpinButtons()
{
    auto* box = new QWidget;
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(this);
    auto* arrows = new QVBoxLayout;
    arrows->setSpacing(0);
    auto makeButton = [&](Qt::ArrowType arrow, int steps) {
        auto* b = new QToolButton(box);
        b->setArrowType(arrow);
        b->setAutoRepeat(true);
        b->setFixedSize(16, 11);
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QToolButton::clicked, this, [this, steps] { stepBy(steps); });
        arrows->addWidget(b);
    };
    makeButton(Qt::UpArrow, 1);
    makeButton(Qt::DownArrow, -1);
    row->addLayout(arrows);
    return box;
}

void NumberEdit::restrictTyping(bool allowSign)
{
    const QString sign = allowSign ? QStringLiteral("-?") : QString();
    const QString pattern = kind_ == Kind::Integer ? sign + QStringLiteral("[0-9]*")
                                                   : sign + QStringLiteral("[0-9]*\\.?[0-9]*");
    setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), this));
}

} // namespace vsx
