#include "platform/Prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace vsx {
namespace {
PromptService g_dialogPrompts;
PromptService* g_prompts = &g_dialogPrompts;

QMessageBox::StandardButton toButton(PromptAnswer a)
{
    switch (a) {
    case PromptAnswer::Ok: return QMessageBox::Ok;
    case PromptAnswer::Yes: return QMessageBox::Yes;
    case PromptAnswer::No: return QMessageBox::No;
    case PromptAnswer::Cancel: return QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon toIcon(PromptKind k)
{
    switch (k) {
    case PromptKind::Information: return QMessageBox::Information;
    case PromptKind::Warning: return QMessageBox::Warning;
    case PromptKind::Error: return QMessageBox::Critical;
    case PromptKind::Question: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}
} // namespace

PromptService& prompts() { return *g_prompts; }
void setPrompts(PromptService* service) { g_prompts = service ? service : &g_dialogPrompts; }

void KeepDialogAboveToolWindows(QWidget* dialog)
{
    if (dialog) dialog->setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

QWidget* promptParent(QWidget* actedIn)
{
    if (actedIn) return actedIn->window();
    return QApplication::activeWindow();
}

void PromptService::message(const QString& text, const QString& title, PromptKind kind, QWidget* parent)
{
    QMessageBox box(toIcon(kind), title.isEmpty() ? QApplication::applicationName() : title, text, QMessageBox::Ok,
                    promptParent(parent));
    KeepDialogAboveToolWindows(&box);
    box.exec();
}

PromptAnswer PromptService::ask(const QString& text, const QString& title, const std::vector<PromptAnswer>& buttons,
                                PromptKind kind, QWidget* parent)
{
    QMessageBox box(toIcon(kind), title.isEmpty() ? QApplication::applicationName() : title, text,
                    QMessageBox::NoButton, promptParent(parent));
    KeepDialogAboveToolWindows(&box);
    for (PromptAnswer a : buttons) box.addButton(toButton(a));
    if (!buttons.empty()) box.setDefaultButton(toButton(buttons.front()));
    const int r = box.exec();
    switch (r) {
    case QMessageBox::Yes: return PromptAnswer::Yes;
    case QMessageBox::No: return PromptAnswer::No;
    case QMessageBox::Ok: return PromptAnswer::Ok;
    default: return PromptAnswer::Cancel;
    }
}

namespace {
// Runs a file dialog and reports the chosen file with the selected filter's row.
FileChoice runFileDialog(QWidget* parent, const FileDialogRequest& r, bool save)
{
    QFileDialog dialog(parent, r.title, r.folder, r.filters);
    KeepDialogAboveToolWindows(&dialog);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList filters = r.filters.split(QStringLiteral(";;"));
    auto suffixFor = [&](const QString& filter) {
        const qsizetype row = filters.indexOf(filter);
        return row >= 0 && row < r.defaultSuffixes.size() ? r.defaultSuffixes[row] : QString();
    };
    if (r.filterRow >= 1 && r.filterRow <= filters.size()) dialog.selectNameFilter(filters[r.filterRow - 1]);
    if (save) {
        dialog.setDefaultSuffix(suffixFor(dialog.selectedNameFilter()));
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&](const QString& f) { dialog.setDefaultSuffix(suffixFor(f)); });
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return {dialog.selectedFiles().front(), int(filters.indexOf(dialog.selectedNameFilter())) + 1};
}
} // namespace

FileChoice PromptService::chooseOpenFile(QWidget* parent, const FileDialogRequest& request)
{
    return runFileDialog(parent, request, false);
}

FileChoice PromptService::chooseSaveFile(QWidget* parent, const FileDialogRequest& request)
{
    return runFileDialog(parent, request, true);
}

FileChoice RecordingPrompts::chooseOpenFile(QWidget*, const FileDialogRequest& request)
{
    fileDialogs.push_back(request);
    if (files.empty()) return {};
    FileChoice f = files.front();
    files.erase(files.begin());
    return f;
}

FileChoice RecordingPrompts::chooseSaveFile(QWidget* parent, const FileDialogRequest& request)
{
    return chooseOpenFile(parent, request);
}

QString PromptService::openFileName(QWidget* parent, const QString& title, const QString& filter)
{
    QFileDialog dialog(promptParent(parent), title, QString(), filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    KeepDialogAboveToolWindows(&dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

void RecordingPrompts::message(const QString& text, const QString& title, PromptKind kind, QWidget* parent)
{
    entries.push_back({text, title, kind, promptParent(parent)});
}

PromptAnswer RecordingPrompts::ask(const QString& text, const QString& title, const std::vector<PromptAnswer>&,
                                   PromptKind kind, QWidget* parent)
{
    entries.push_back({text, title, kind, promptParent(parent)});
    if (answers.empty()) return defaultAnswer;
    PromptAnswer a = answers.front();
    answers.erase(answers.begin());
    return a;
}

QString RecordingPrompts::openFileName(QWidget*, const QString& title, const QString&)
{
    fileDialogTitles.push_back(title);
    if (fileNames.empty()) return {};
    QString f = fileNames.front();
    fileNames.erase(fileNames.begin());
    return f;
}

} // namespace vsx
