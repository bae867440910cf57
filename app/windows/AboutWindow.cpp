#include "app/windows/AboutWindow.h"

#include "app/MainWindowHost.h"
#include "app/windows/WindowSetup.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vsx {

AboutWindow::AboutWindow(QWidget* parent) : QDialog(parent)
{
    SetUpWindow(this, {"formAbout", "About Veldor Sondrix", false, QSize(340, 375)});
    // A single-line border without frame buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(340, 375);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    setPalette(white);

    SoftName = new QLabel(QStringLiteral("Veldor Sondrix"), this);
    SoftName->setObjectName("SoftName");
    SoftName->setAlignment(Qt::AlignCenter);
    QFont big = SoftName->font();
    big.setPointSize(18);
    big.setBold(true);
    SoftName->setFont(big);
    Version = new QLabel(QStringLiteral("Version 07.09.07"), this);
    Version->setObjectName("Version");
    Version->setAlignment(Qt::AlignCenter);
    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName("BitBtn2");
    okButton->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addWidget(SoftName);
    layout->addWidget(Version);
    layout->addStretch();
    layout->addWidget(okButton);
    connect(okButton, &QPushButton::clicked, this, [this] {
        closingByOk_ = true;
        done(QDialog::Accepted);
        closingByOk_ = false;
    });
}

void AboutWindow::ShowModal()
{
    setWindowModality(Qt::ApplicationModal);
    CentreOverMainWindow(this);
    show();
    raise();
    activateWindow();
}

void AboutWindow::closeEvent(QCloseEvent* event)
{
    if (closingByOk_) QDialog::closeEvent(event);
    else event->ignore();
}

} // namespace vsx
