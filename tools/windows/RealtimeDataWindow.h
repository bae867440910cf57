#pragma once
// The "Realtime Data" window: the live survey values in large type (fix type, speed, satellites,
// antenna height, tide, high- and low-frequency depth). The data handlers write its labels; it
// owns the low-frequency depth box, a small toolbar and the bare full-screen map switch.
#include "input/DeviceSettingsTargets.h"

#include <QWidget>

class QGroupBox;
class QLabel;
class QTimer;
class QToolButton;

namespace vsx {

// The device settings window shows or hides the low-frequency depth box by the echosounder's
// message type; the window is its target from creation to destruction.
class RealtimeDataWindow : public QWidget, public LowFrequencyDepthBoxTarget {
    Q_OBJECT
public:
    explicit RealtimeDataWindow(QWidget* parent = nullptr);
    ~RealtimeDataWindow() override;
    void setLowFrequencyDepthBoxVisible(bool visible) override;

    void ShowLowFrequencyDepth();
    void HideLowFrequencyDepth();
    // Whether the low-frequency depth box is shown (also while the window itself is hidden).
    bool lowFrequencyDepthShown() const;
    // 0: normal layout, 1: the bare full-screen map.
    int bareLayoutState() const { return hideImageIndex_; }

    void onHideClicked();
    void onOpenLogFolderClicked();
    void applySounderMessageType();

    // Value labels, "---" until the handlers write them.
    QLabel* Fixed;
    QLabel* Speed;
    QLabel* SatelliteLabel;
    QLabel* LAntennaH;
    QLabel* LTideHt;
    QGroupBox* GPSGroupBox;  // coloured by the receiver's fix quality
    QGroupBox* DepthFrameHi;
    QLabel* lDepthHi;
    QGroupBox* DepthFrameLo;
    QLabel* lDepthLo;
    QToolButton* btHide;
    QToolButton* zoomInButton;  // zoom in
    QToolButton* zoomOutButton;  // zoom out
    QToolButton* btOpenLogFolder;
    QToolButton* btShowOffsets;
    QTimer* startupTimer;

    static constexpr int kHeightWithLowFrequency = 387;
    static constexpr int kHeightWithoutLowFrequency = 289;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void setHideImage(int index);
    int hideImageIndex_ = 0;
};

} // namespace vsx
