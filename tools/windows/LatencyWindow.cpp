#include "tools/windows/LatencyWindow.h"

#include "app/Settings.h"
#include "app/windows/WindowSetup.h"
#include "platform/IniFile.h"
#include "platform/Numbers.h"
#include "tools/LatencyTolerance.h"
#include "tools/windows/WindowLook.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace vsx {

LatencyWindow::LatencyWindow(QWidget* parent) : QWidget(parent)
{
    SetUpWindow(this, {"fLatency", "Latency", true, QSize(205, 63)});
    setWindowFlags(windowFlags() | Qt::Tool);
    KeepOnlyCloseButton(this);

    gLatency = new QGroupBox(QStringLiteral("Latency (millisecond)"), this);
    gLatency->setObjectName("gLatency");
    auto edit = [this](const char* name, bool editable) {
        auto* e = new QLineEdit(gLatency);
        e->setObjectName(name);
        e->setEnabled(editable);
        e->setFixedWidth(56);
        return e;
    };
    eCurrentLatency = edit("eCurrentLatency", false);
    eLatencyAveraged = edit("eLatencyAveraged", false);
    eLatencyTol = edit("eLatencyTol", true);

    auto* grid = new QGridLayout(gLatency);
    const std::pair<const char*, QLineEdit*> columns[] = {
        {"Current", eCurrentLatency}, {"Averaged", eLatencyAveraged}, {"Tolerance", eLatencyTol}};
    for (int c = 0; c < 3; ++c) {
        grid->addWidget(new QLabel(QString::fromUtf8(columns[c].first), gLatency), 0, c);
        grid->addWidget(columns[c].second, 1, c);
    }
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(4, 4, 4, 4);
    root->addWidget(gLatency);
    root->setSizeConstraint(QLayout::SetFixedSize);

    {
        IniFile ini(GetIniFileName());
        eLatencyTol->setText(QString::number(ReadLatencyTolerance(ini)));
    }
    // Bound after the first fill: reading the setting does not write it back.
    connect(eLatencyTol, &QLineEdit::textChanged, this, &LatencyWindow::onToleranceChanged);
    connect(eCurrentLatency, &QLineEdit::textChanged, this, &LatencyWindow::onCurrentLatencyChanged);
}

void LatencyWindow::ShowLatency(long currentMs, double meanMs)
{
    eCurrentLatency->setText(QString::number(currentMs));
    eLatencyAveraged->setText(QString::fromStdString(formatFixed(meanMs, 1)));
}

void LatencyWindow::onToleranceChanged()
{
    IniFile ini(GetIniFileName());
    WriteLatencyTolerance(ini, eLatencyTol->text().toStdString());
    // The colour follows a new tolerance at once, not only at the next differing figure.
    onCurrentLatencyChanged();
}

void LatencyWindow::onCurrentLatencyChanged()
{
    // A tolerance being retyped (empty, "7a") keeps the last colour until it is a number again.
    const auto c = LatencyColour(eCurrentLatency->text().toStdString(), eLatencyTol->text().toStdString());
    if (!c || c == colour_) return;
    colour_ = c;
    SetBackground(gLatency, toQColor(*c));
}

} // namespace vsx
