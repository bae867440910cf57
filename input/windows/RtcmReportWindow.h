#pragma once
// The "RTCM Message Parser" window: shows the RTCM report the NTRIP window builds, and saves it
// into the day's LOG folder on "Save && Close".
#include <QWidget>
#include <string>
#include <vector>

class QPlainTextEdit;
class QPushButton;

namespace vsx {

class RtcmReportWindow : public QWidget {
    Q_OBJECT
public:
    explicit RtcmReportWindow(QWidget* parent = nullptr);

    QPlainTextEdit* MemoRTCM;
    QPushButton* btnClear;
    QPushButton* btnClose; // "Save && Close"

    // One line of report text (8-bit, converted for display).
    void AddLine(const std::string& text);
    void Clear();
    // The memo's lines, as 8-bit text.
    std::vector<std::string> Lines() const;
    // The file "Save && Close" writes today.
    static std::string ReportFileName();

public slots:
    void onClearClicked();
    void onCloseClicked();

private:
    int lineCount_ = 0;
};

} // namespace vsx
