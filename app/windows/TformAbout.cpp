#include "app/windows/TformAbout.h"

#include "app/MainWindowHost.h"
#include "app/windows/WindowSetup.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vsx {

TformAbout::TformAbout(QWidget* parent) : QDialog(parent)
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
    BitBtn2 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn2->setObjectName("BitBtn2");
    BitBtn2->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addWidget(SoftName);
    layout->addWidget(Version);
    layout->addStretch();
    layout->addWidget(BitBtn2);
    connect(BitBtn2, &QPushButton::clicked, this, [this] {
        closingByOk_ = true;
        done(QDialog::Accepted);
        closingByOk_ = false;
    });
}

void TformAbout::ShowModal()
{
    setWindowModality(Qt::ApplicationModal);
    CentreOverMainWindow(this);
    show();
    raise();
    activateWindow();
}

void TformAbout::closeEvent(QCloseEvent* event)
{
    if (closingByOk_) QDialog::closeEvent(event);
    else event->ignore();
}

} // namespace vsx
