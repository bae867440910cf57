#include "app/ErrorReport.h"

#include "app/Translated.h"
#include "platform/Numbers.h"
#include "platform/Prompts.h"

#include <cstdio>
#include <exception>

namespace vsx {

VsxApplication::VsxApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool VsxApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const ConversionError& e) {
        ReportError(ConversionMessage(e));
    } catch (const std::exception& e) {
        ReportError(QString::fromUtf8(e.what()));
    } catch (...) {
        ReportError(QString());
    }
    return false;
}

QString ConversionMessage(const ConversionError& e)
{
    return translatedArgs(e.message(), {QString::fromStdString(e.text())});
}

void ReportError(const QString& message)
{
    std::fprintf(stderr, "error: %s\n", message.toLocal8Bit().constData());
    prompts().message(message, QStringLiteral("Veldor SX"), PromptKind::Error);
}

} // namespace vsx
