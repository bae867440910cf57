#include "app/windows/TFMsg.h"

#include "app/windows/WindowSetup.h"

#include <QEvent>
#include <QPlainTextEdit>
#include <QTimer>
#include <QVBoxLayout>

namespace vsx {

TFMsg::TFMsg(QWidget* parent) : QWidget(parent)
{
    SetUpWindow(this, {"FMsg", "Message Window", true, QSize(413, 192)});
    move(1017, 148);
    Msg = new QPlainTextEdit(this);
    Msg->setObjectName("Msg");
    Msg->setReadOnly(true);
    Msg->viewport()->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Msg);
    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(4000);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &QWidget::hide);
}

void TFMsg::AddMessage(const QString& text, bool showWindow)
{
    Msg->appendPlainText(text);
    if (showWindow && !isVisible()) show();
}

void TFMsg::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    Timer1->start();
}

void TFMsg::hideEvent(QHideEvent* event)
{
    Timer1->stop();
    QWidget::hideEvent(event);
}

bool TFMsg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Msg->viewport() && event->type() == QEvent::MouseButtonPress) {
        hide();
        Msg->clear();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace vsx
