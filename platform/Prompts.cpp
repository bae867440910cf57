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

QWidget* promptParent(QWidget* actedIn)
{
    if (actedIn) return actedIn->window();
    return QApplication::activeWindow();
}

void PromptService::message(const QString& text, const QString& title, PromptKind kind, QWidget* parent)
{
    QMessageBox box(toIcon(kind), title.isEmpty() ? QApplication::applicationName() : title, text, QMessageBox::Ok,
                    promptParent(parent));
    box.exec();
}

PromptAnswer PromptService::ask(const QString& text, const QString& title, const std::vector<PromptAnswer>& buttons,
                                PromptKind kind, QWidget* parent)
{
    QMessageBox box(toIcon(kind), title.isEmpty() ? QApplication::applicationName() : title, text,
                    QMessageBox::NoButton, promptParent(parent));
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

QString PromptService::openFileName(QWidget* parent, const QString& title, const QString& filter)
{
    return QFileDialog::getOpenFileName(promptParent(parent), title, QString(), filter);
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
