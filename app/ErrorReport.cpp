#include "app/ErrorReport.h"

#include "platform/Prompts.h"

#include <QWidget>

#include <cstdio>
#include <exception>

namespace vsx {

VsxApplication::VsxApplication(int& argc, char** argv) : QApplication(argc, argv) {}

namespace {
// The widget an event went to, or the nearest widget owning the object it went to (a timer's
// window, say); null for objects outside any window.
QWidget* widgetOf(QObject* receiver)
{
    for (QObject* o = receiver; o; o = o->parent())
        if (o->isWidgetType()) return static_cast<QWidget*>(o);
    return nullptr;
}
} // namespace

bool VsxApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ReportError(QString::fromUtf8(e.what()), widgetOf(receiver));
    } catch (...) {
        ReportError(QString(), widgetOf(receiver));
    }
    return false;
}

void RunReportingErrors(QWidget* actedIn, const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& e) {
        ReportError(QString::fromUtf8(e.what()), actedIn);
    }
}

void ReportError(const QString& message, QWidget* actedIn)
{
    std::fprintf(stderr, "error: %s\n", message.toLocal8Bit().constData());
    prompts().message(message, QStringLiteral("Veldor SX"), PromptKind::Error, actedIn);
}

} // namespace vsx
