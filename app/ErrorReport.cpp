#include "app/ErrorReport.h"

#include "app/Translated.h"
#include "app/TranslationManager.h"
#include "platform/Prompts.h"

#include <QRegularExpression>
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
        ReportError(ErrorText(e.what()), widgetOf(receiver));
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
        ReportError(ErrorText(e.what()), actedIn);
    }
}

QString ErrorText(const std::string& message)
{
    // A number error may name its field ("Delay (GPS Port): 'fast' is not a valid integer value");
    // the field's caption and group are translated as the window shows them.
    const QString text = QString::fromStdString(message);
    const qsizetype colon = text.indexOf(QStringLiteral(": '"));
    if (colon > 0 && text.endsWith(QStringLiteral(" value"))) {
        const auto known = [](const QString& words) {
            return Translator ? QString::fromStdString(Translator->TranslateIfKnown(words.toStdString())) : words;
        };
        QString field = text.left(colon);
        static const QRegularExpression grouped(QStringLiteral("^(.*) \\((.*)\\)$"));
        if (const QRegularExpressionMatch m = grouped.match(field); m.hasMatch())
            field = known(m.captured(1)) + QStringLiteral(" (") + known(m.captured(2)) + QLatin1Char(')');
        else
            field = known(field);
        return field + QStringLiteral(": ") + ErrorText(text.mid(colon + 2).toStdString());
    }
    return translatedMessage(text, {"'%1' is not a valid integer value", "'%1' is not a valid floating point value",
                                    "'%1' is not a valid boolean value"});
}

void ReportError(const QString& message, QWidget* actedIn)
{
    std::fprintf(stderr, "error: %s\n", message.toLocal8Bit().constData());
    prompts().message(message, QStringLiteral("Veldor SX"), PromptKind::Error, actedIn);
}

} // namespace vsx
