#include "app/ErrorReport.h"

#include "platform/Prompts.h"

#include <cstdio>
#include <exception>

namespace vsx {

VsxApplication::VsxApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool VsxApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ReportError(QString::fromUtf8(e.what()));
    } catch (...) {
        ReportError(QString());
    }
    return false;
}

void ReportError(const QString& message)
{
    std::fprintf(stderr, "error: %s\n", message.toLocal8Bit().constData());
    prompts().message(message, QStringLiteral("Veldor SX"), PromptKind::Error);
}

} // namespace vsx
