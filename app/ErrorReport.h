#pragma once
// The last line of error reporting. An error that escapes an event handler (a timer, a click, a
// queued call) is shown once in a message and the program goes on.
#include <QApplication>

#include <string>

namespace vsx {

class VsxApplication : public QApplication {
public:
    VsxApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Shows the error through the prompt service and writes it to standard error.
void ReportError(const QString& message);
// An error's message (a library's, in English) in the interface's language, as far as the
// language files know its form; the values it names stay as they are.
QString ErrorText(const std::string& message);

} // namespace vsx
