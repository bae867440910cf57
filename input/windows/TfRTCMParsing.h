#pragma once
#include <QWidget>

namespace vsx {

// The "RTCM Message Parser" window.
class TfRTCMParsing : public QWidget {
    Q_OBJECT
public:
    explicit TfRTCMParsing(QWidget* parent = nullptr);
};

} // namespace vsx
