#pragma once
// The last line of error reporting. An error that escapes an event handler (a timer, a click, a
// queued call) is shown once in a message and the program goes on. The message opens over the
// window whose control raised it, so a tool window kept on top never hides it.
#include <QApplication>

#include <functional>
#include <string>

namespace vsx {

class VsxApplication : public QApplication {
public:
    VsxApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Shows the error through the prompt service, over the window the user acted in (the active
// window when none is given), and writes it to standard error.
void ReportError(const QString& message, QWidget* actedIn = nullptr);

// Runs a control's handler; an error it raises is reported over `actedIn` right there, so it
// never unwinds through the toolkit's event delivery.
void RunReportingErrors(QWidget* actedIn, const std::function<void()>& handler);
// An error's message (a library's, in English) in the interface's language, as far as the
// language files know its form; the values it names stay as they are.
QString ErrorText(const std::string& message);

} // namespace vsx
