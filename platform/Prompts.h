#pragma once
// Every modal message and question goes through one prompt service, so only user actions ever
// open a dialog and tests can answer them without blocking.
#include <QString>
#include <vector>

class QWidget;

namespace vsx {

enum class PromptKind { Information, Warning, Error, Question };
enum class PromptAnswer { Ok, Yes, No, Cancel };

class PromptService {
public:
    virtual ~PromptService() = default;
    // A plain message box with an OK button.
    virtual void message(const QString& text, const QString& title = {}, PromptKind kind = PromptKind::Information);
    // A question with the given buttons; the first is the default.
    virtual PromptAnswer ask(const QString& text, const QString& title, const std::vector<PromptAnswer>& buttons,
                             PromptKind kind = PromptKind::Question);
    // A file to open, picked in a file dialog with the given filter ("Text (*.txt);;All (*)");
    // empty when cancelled.
    virtual QString openFileName(QWidget* parent, const QString& title, const QString& filter);
};

// The process-wide service; setPrompts(nullptr) restores the dialog-showing one. The caller
// keeps ownership.
PromptService& prompts();
void setPrompts(PromptService* service);

// Records every prompt and answers questions from a queue (default answer when empty).
class RecordingPrompts : public PromptService {
public:
    struct Entry {
        QString text, title;
        PromptKind kind;
    };
    void message(const QString& text, const QString& title, PromptKind kind) override;
    PromptAnswer ask(const QString& text, const QString& title, const std::vector<PromptAnswer>& buttons,
                     PromptKind kind) override;
    std::vector<Entry> entries;
    QString openFileName(QWidget* parent, const QString& title, const QString& filter) override;
    std::vector<PromptAnswer> answers;  // consumed from the front
    PromptAnswer defaultAnswer = PromptAnswer::Yes;
    std::vector<QString> fileNames;  // picked files, consumed from the front; none left: cancelled
    std::vector<QString> fileDialogTitles;
};

} // namespace vsx
