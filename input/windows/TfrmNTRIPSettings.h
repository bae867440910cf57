#pragma once
#include <QWidget>

namespace vsx {

// The "Veldor NTRIP Client" window.
class TfrmNTRIPSettings : public QWidget {
    Q_OBJECT
public:
    explicit TfrmNTRIPSettings(QWidget* parent = nullptr);
};

} // namespace vsx
