#include "app/windows/MessageWindow.h"

#include "app/windows/WindowSetup.h"

#include <QEvent>
#include <QPlainTextEdit>
#include <QTimer>
#include <QVBoxLayout>

namespace vsx {

MessageWindow::MessageWindow(QWidget* parent) : QWidget(parent)
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
    hideTimer = new QTimer(this);
    hideTimer->setObjectName("Timer1");
    hideTimer->setInterval(4000);
    hideTimer->setSingleShot(true);
    connect(hideTimer, &QTimer::timeout, this, &QWidget::hide);
}

void MessageWindow::AddMessage(const QString& text, bool showWindow)
{
    Msg->appendPlainText(text);
    if (showWindow && !isVisible()) show();
}

void MessageWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    hideTimer->start();
}

void MessageWindow::hideEvent(QHideEvent* event)
{
    hideTimer->stop();
    QWidget::hideEvent(event);
}

bool MessageWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Msg->viewport() && event->type() == QEvent::MouseButtonPress) {
        hide();
        Msg->clear();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace vsx
