#include "app/ErrorReport.h"

#include "app/Translated.h"
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
        ReportError(ErrorText(e.what()));
    } catch (...) {
        ReportError(QString());
    }
    return false;
}

QString ErrorText(const std::string& message)
{
    return translatedMessage(QString::fromStdString(message),
                             {"'%1' is not a valid integer value", "'%1' is not a valid floating point value",
                              "'%1' is not a valid boolean value"});
}

void ReportError(const QString& message)
{
    std::fprintf(stderr, "error: %s\n", message.toLocal8Bit().constData());
    prompts().message(message, QStringLiteral("Veldor SX"), PromptKind::Error);
}

} // namespace vsx
