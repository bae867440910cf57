#pragma once
// The last line of error reporting. An error that escapes an event handler (a timer, a click, a
// queued call) is shown once in a message and the program goes on.
#include <QApplication>

namespace vsx {

class VsxApplication : public QApplication {
public:
    VsxApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

class ConversionError;

// Shows the error through the prompt service and writes it to standard error.
void ReportError(const QString& message);
// A number that did not convert, said in the interface's language.
QString ConversionMessage(const ConversionError& e);

} // namespace vsx
