#pragma once
// The "Latency" window: how long the map loop's last run took, the running mean of all runs and
// the surveyor's tolerance, kept in [LATENCY]. The map loop writes the figures while the window
// is visible; the window colours its group green below the tolerance and red otherwise.
#include "platform/Colour.h"

#include <QWidget>
#include <optional>

class QGroupBox;
class QLineEdit;

namespace vsx {

class LatencyWindow : public QWidget {
    Q_OBJECT
public:
    explicit LatencyWindow(QWidget* parent = nullptr);

    // The figures of one run of the map loop: whole milliseconds and the mean with one decimal.
    void ShowLatency(long currentMs, double meanMs);
    // The group's colour; none until a first figure met a whole-number tolerance.
    std::optional<ColorValue> GroupColour() const { return colour_; }

    QGroupBox* gLatency;
    QLineEdit* eCurrentLatency;
    QLineEdit* eLatencyAveraged;
    QLineEdit* eLatencyTol;

private:
    void onToleranceChanged();
    void onCurrentLatencyChanged();

    std::optional<ColorValue> colour_;
};

} // namespace vsx
