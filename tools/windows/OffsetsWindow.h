#pragma once
// The "Offsets Essential for Post Processing / Recovery" window: the echosounder's vertical
// offsets, the sound velocity, the tide and the survey's identification. Its "Realtime" button
// checks them, appends the survey-start report, stores them and starts real-time acquisition.
#include "tools/EchosounderOffsets.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace vsx {

class NumberEdit;

class OffsetsWindow : public QWidget {
    Q_OBJECT
public:
    explicit OffsetsWindow(QWidget* parent = nullptr);

    // What the GNSS line handler and the depth handler read: each the edit's last text that was
    // a number (0, and 1500 m/s for the sound velocity, before any). The edits' textIsNumber()
    // tells whether the text as it stands is one.
    double draft() const;                    // A: transducer depth below the water line
    double transducerToAntenna() const;      // B
    double antennaHeight() const;            // C: antenna height above the water line
    double soundVelocity() const;            // m/s
    double tideHeight() const;
    bool numbersValid() const;  // all five texts are numbers

    // The values the depths and heights use: the last ones the start's checks accepted (at a
    // Realtime press, a start while the window is shown, or as stored when the window is shown).
    // Cancel and closing put them back into the fields.
    const OffsetNumbers& valuesInForce() const { return inForce_; }
    // The shown numbers become the values in force when the checks accept them.
    bool TakeShownValues();
    // The shown numbers are the values in force.
    bool ShowsValuesInForce() const;

    OffsetsTexts texts() const;
    void showTexts(const OffsetsTexts& texts);

    NumberEdit* OffsetA;
    NumberEdit* OffsetB;
    NumberEdit* OffsetC;
    NumberEdit* SV;
    NumberEdit* TideHt;
    QLineEdit* Location;
    QLineEdit* SurveyBoat;
    QLineEdit* Surveyor;
    QLabel* time;
    QTimer* clockTimer;
    QPushButton* realtimeButton;  // "Realtime"
    QPushButton* cancelButton;  // "Cancel"
    QPushButton* bSVP;
    QPushButton* bNTRIPShow;
    QWidget* offsetsSketch;

    void onShown();
    void refreshClock();
    void onRealtimeClicked();
    void onCancelClicked();
    void onSoundVelocityClicked();
    void onNtripClicked();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* editOf(OffsetsField field) const;
    void onNumberEditLeft(NumberEdit* edit);
    void showTextsInForce();

    OffsetNumbers inForce_;
    OffsetsTexts inForceTexts_;  // the number texts as they were accepted
};

} // namespace vsx
