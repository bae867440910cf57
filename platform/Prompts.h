#pragma once
// Every modal message and question goes through one prompt service, so only user actions ever
// open a dialog and tests can answer them without blocking.
//
// A dialog belongs to the window the user acted in: it opens over that window. It also joins the
// window manager's stay-on-top layer, so a tool window that stays on top never hides it, whatever
// window it belongs to. Without a window given, the active window is taken.
#include <QString>
#include <QStringList>
#include <vector>

class QWidget;

namespace vsx {

enum class PromptKind { Information, Warning, Error, Question };
enum class PromptAnswer { Ok, Yes, No, Cancel };

// A file chosen in a file dialog: an empty path when the dialog was cancelled. filterRow is the
// 1-based row of the filter list that was selected (0 when unknown).
struct FileChoice {
    QString path;
    int filterRow = 0;
};

// What a file dialog shows. Filters are in Qt's form ("KML (*.kml);;All Files (*)"). A save
// dialog asks before replacing an existing file.
struct FileDialogRequest {
    QString title;
    QString filters;
    QString folder;      // where the dialog opens; empty for the last one used
    int filterRow = 1;   // the filter selected when it opens
    // Save dialogs: the extension added to a typed name without one, per filter row ("kml",
    // "" for none), so the replace question sees the name that will be written.
    QStringList defaultSuffixes;
};

// Puts a dialog that is about to be shown in the stay-on-top layer, above the tool windows.
void KeepDialogAboveToolWindows(QWidget* dialog);

class PromptService {
public:
    virtual ~PromptService() = default;
    // A plain message box with an OK button.
    virtual void message(const QString& text, const QString& title = {}, PromptKind kind = PromptKind::Information,
                         QWidget* parent = nullptr);
    // A question with the given buttons; the first is the default.
    virtual PromptAnswer ask(const QString& text, const QString& title, const std::vector<PromptAnswer>& buttons,
                             PromptKind kind = PromptKind::Question, QWidget* parent = nullptr);
    // File dialogs parented to the window the user is in.
    virtual FileChoice chooseOpenFile(QWidget* parent, const FileDialogRequest& request);
    virtual FileChoice chooseSaveFile(QWidget* parent, const FileDialogRequest& request);
    // A file to open, picked in a file dialog with the given filter ("Text (*.txt);;All (*)");
    // empty when cancelled.
    virtual QString openFileName(QWidget* parent, const QString& title, const QString& filter);
};

// The window a dialog opens over: the window of `actedIn` when given, else the active window
// (null when there is none).
QWidget* promptParent(QWidget* actedIn);

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
        QWidget* parent = nullptr;  // the window the dialog would have opened over
    };
    void message(const QString& text, const QString& title, PromptKind kind, QWidget* parent) override;
    PromptAnswer ask(const QString& text, const QString& title, const std::vector<PromptAnswer>& buttons,
                     PromptKind kind, QWidget* parent) override;
    FileChoice chooseOpenFile(QWidget* parent, const FileDialogRequest& request) override;
    FileChoice chooseSaveFile(QWidget* parent, const FileDialogRequest& request) override;
    std::vector<Entry> entries;
    QString openFileName(QWidget* parent, const QString& title, const QString& filter) override;
    std::vector<PromptAnswer> answers;  // consumed from the front
    PromptAnswer defaultAnswer = PromptAnswer::Yes;
    // chooseOpenFile and chooseSaveFile: each request is recorded and answered from the front of
    // `files`; an empty queue answers as a cancelled dialog.
    std::vector<FileDialogRequest> fileDialogs;
    std::vector<FileChoice> files;
    // openFileName: picked files, consumed from the front; none left: cancelled.
    std::vector<QString> fileNames;
    std::vector<QString> fileDialogTitles;
};

} // namespace vsx
