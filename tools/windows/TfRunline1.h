#pragma once
#include <QWidget>

namespace vsx {

// The "Runline Generator" window.
class TfRunline1 : public QWidget {
    Q_OBJECT
public:
    explicit TfRunline1(QWidget* parent = nullptr);
};

} // namespace vsx
