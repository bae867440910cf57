#pragma once
#include <QWidget>

namespace vsx {

// The "Offsets Essential for Post Processing / Recovery" window.
class TOffsets : public QWidget {
    Q_OBJECT
public:
    explicit TOffsets(QWidget* parent = nullptr);
};

} // namespace vsx
