#include "input/windows/RtcmReportWindow.h"

#include "app/Settings.h"
#include "app/Translated.h"
#include "app/windows/WindowSetup.h"
#include "platform/AtomicFile.h"
#include "platform/Paths.h"
#include "platform/Prompts.h"
#include "platform/Text.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QVBoxLayout>

namespace vsx {

RtcmReportWindow::RtcmReportWindow(QWidget* parent) : QWidget(parent)
{
    SetUpWindow(this, {"fRTCMParsing", "RTCM Message Parser", false, QSize(700, 520)});
    MemoRTCM = new QPlainTextEdit(this);
    MemoRTCM->setObjectName("MemoRTCM");
    MemoRTCM->setReadOnly(true);
    MemoRTCM->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemoRTCM->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    MemoRTCM->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoRTCM->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    btnClear = new QPushButton(QStringLiteral("Clear"), this);
    btnClear->setObjectName("btnClear");
    btnClose = new QPushButton(QStringLiteral("Save && Close"), this);
    btnClose->setObjectName("btnClose");

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnClear);
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MemoRTCM);
    layout->addLayout(buttons);

    connect(btnClear, &QPushButton::clicked, this, &RtcmReportWindow::onClearClicked);
    connect(btnClose, &QPushButton::clicked, this, &RtcmReportWindow::onCloseClicked);
}

void RtcmReportWindow::AddLine(const std::string& text)
{
    MemoRTCM->appendPlainText(fromCp1254(text));
    ++lineCount_;
}

void RtcmReportWindow::Clear()
{
    MemoRTCM->clear();
    lineCount_ = 0;
}

std::vector<std::string> RtcmReportWindow::Lines() const
{
    std::vector<std::string> lines;
    if (lineCount_ == 0) return lines;
    for (QTextBlock b = MemoRTCM->document()->firstBlock(); b.isValid(); b = b.next()) lines.push_back(toCp1254(b.text()));
    return lines;
}

std::string RtcmReportWindow::ReportFileName()
{
    const std::string date = CurrentDateString();
    return dataRoot() + date + "/LOG/" + date + " Veldor RTCM Parsing.log";
}

void RtcmReportWindow::onClearClicked() { Clear(); }

void RtcmReportWindow::onCloseClicked()
{
    const std::vector<std::string> lines = Lines();
    if (!lines.empty()) {
        const std::string file = ReportFileName();
        makeFolders(file.substr(0, file.find_last_of('/')));
        std::string text;
        for (const std::string& l : lines) text += l + "\r\n";
        std::string error;
        if (!writeFileAtomically(file, text, &error)) {
            // The report stays on screen, so nothing is lost while the user sees to the folder.
            prompts().message(translatedArgs("The RTCM report could not be saved: %1", {fromCp1254(error)}), QString(),
                              PromptKind::Error);
            return;
        }
    }
    hide();
}

} // namespace vsx
