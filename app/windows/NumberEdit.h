#pragma once
// An edit that holds a number. The text stays as typed; value() gives the last text that was a
// number (or the initial value), so code that reads the edit in a timer or a device-line handler
// never meets a half-typed number. textIsNumber() tells whether the text as it stands is one.
#include <QLineEdit>

namespace vsx {

class NumberEdit : public QLineEdit {
    Q_OBJECT
public:
    enum class Kind { Integer, Float };
    NumberEdit(Kind kind, double initial, QWidget* parent = nullptr);

    double value() const { return value_; }
    int intValue() const { return int(value_); }
    bool textIsNumber() const { return textIsNumber_; }

    // Arrow keys and spin buttons step the value within the range; without a range they do nothing.
    void setSpinRange(double minimum, double maximum, double step);
    void stepBy(int steps);
    // The edit with a pair of up/down buttons beside it, for a layout.
    QWidget* withSpinButtons();

    // Limits typing to digits (an optional sign and '.' for floats); text set from code is kept.
    void restrictTyping(bool allowSign);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void onTextChanged(const QString& text);

    Kind kind_;
    double value_;
    bool textIsNumber_ = false;
    bool spins_ = false;
    double min_ = 0, max_ = 0, step_ = 1;
};

} // namespace vsx
