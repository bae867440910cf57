#pragma once
// The "About Veldor Sondrix" box: product name and version, left only through its OK button.
#include <QDialog>

class QLabel;
class QPushButton;

namespace vsx {

class AboutWindow : public QDialog {
    Q_OBJECT
public:
    explicit AboutWindow(QWidget* parent = nullptr);

    QLabel* SoftName;
    QLabel* Version;
    QPushButton* okButton;

    // Shows the box modally over the main window without blocking the caller.
    void ShowModal();

    // Escape and the window frame do not end the box; only OK does.
    void reject() override {}

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool closingByOk_ = false;
};

} // namespace vsx
