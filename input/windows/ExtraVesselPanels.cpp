#include "input/windows/ExtraVesselPanels.h"

#include "app/windows/WindowTranslation.h"
#include "app/Settings.h"
#include "app/windows/ColorBox.h"
#include "platform/Text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace vsx {

namespace {
void fillPorts(QComboBox* box)
{
    for (int i = 1; i <= 50; ++i) box->addItem(QStringLiteral("COM%1").arg(i));
}
QString q(const std::string& s) { return QString::fromStdString(s); }
std::string s(const QString& t) { return t.toStdString(); }
} // namespace

void DropDownPortBox::showPopup()
{
    emit aboutToDropDown();
    QComboBox::showPopup();
}

ExtraVesselPanels::ExtraVesselPanels(QWidget* parent) : QWidget(parent)
{
    auto* column = new QVBoxLayout(this);
    for (int i = 0; i < kExtraVesselPanels; ++i) {
        const int n = i + 2;
        const QString v = QStringLiteral("V%1").arg(i + 1);
        auto* box = new QGroupBox(this);
        SetTranslatedText(box, "Vessel %1", {QString::number(n)});
        auto* form = new QFormLayout(box);
        Panel& p = panels[size_t(i)];
        p.chkEn = new QCheckBox(QStringLiteral("Enable"), box);
        p.edNm = new QLineEdit(QStringLiteral("Vessel %1").arg(n), box);
        p.cbPt = new DropDownPortBox(box);
        p.cbPt->setEditable(true);
        p.cbBd = new QComboBox(box);
        for (const auto& r : ExtraVesselBaudRates()) p.cbBd->addItem(q(r));
        p.cbBd->setCurrentText("9600");
        p.cbxCl = new ColorBox(box, 255);
        p.cbSp = new QComboBox(box);
        p.cbSp->setEditable(true);
        p.cbSp->addItems({"0.5", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "20", "50", "100"});
        p.cbSp->setCurrentText("10");
        p.edFw = new QLineEdit("100", box);
        p.edSd = new QLineEdit("10", box);
        p.edR1 = new QLineEdit("10", box);
        p.edIv = new QLineEdit("10", box);
        p.edN = new QLineEdit("2", box);
        p.chkEn->setObjectName("chk" + v + "En");
        p.edNm->setObjectName("ed" + v + "Nm");
        p.cbPt->setObjectName("cb" + v + "Pt");
        p.cbBd->setObjectName("cb" + v + "Bd");
        p.cbxCl->setObjectName("cbx" + v + "Cl");
        p.cbSp->setObjectName("cb" + v + "Sp");
        p.edFw->setObjectName("ed" + v + "Fw");
        p.edSd->setObjectName("ed" + v + "Sd");
        p.edR1->setObjectName("ed" + v + "R1");
        p.edIv->setObjectName("ed" + v + "Iv");
        p.edN->setObjectName("ed" + v + "N");
        form->addRow(p.chkEn);
        form->addRow(QStringLiteral("Name:"), p.edNm);
        form->addRow(QStringLiteral("Port:"), p.cbPt);
        form->addRow(QStringLiteral("Baud:"), p.cbBd);
        form->addRow(QStringLiteral("Color:"), p.cbxCl);
        form->addRow(QStringLiteral("Spacing:"), p.cbSp);
        form->addRow(QStringLiteral("Fwd:"), p.edFw);
        form->addRow(QStringLiteral("Side:"), p.edSd);
        form->addRow(QStringLiteral("R1:"), p.edR1);
        form->addRow(QStringLiteral("Int:"), p.edIv);
        form->addRow(QStringLiteral("N:"), p.edN);
        column->addWidget(box);
    }
    BindVesselControls();
}

void ExtraVesselPanels::BindVesselControls()
{
    for (int i = 0; i < kExtraVesselPanels; ++i) {
        Panel& p = panels[size_t(i)];
        auto changed = [this] { onVesselValueChanged(); };
        connect(p.chkEn, &QCheckBox::toggled, this, changed);
        connect(p.edNm, &QLineEdit::textChanged, this, changed);
        connect(p.cbBd, &QComboBox::activated, this, changed);
        connect(p.cbxCl, &ColorBox::colorChosen, this, changed);
        for (QLineEdit* e : {p.edFw, p.edSd, p.edR1, p.edIv, p.edN}) connect(e, &QLineEdit::textChanged, this, changed);
        // User edits only: refilling the lists from code must never write an empty port.
        connect(p.cbSp, &QComboBox::activated, this, [this, i] { onVesselSpacingChanged(i); });
        connect(p.cbSp->lineEdit(), &QLineEdit::textEdited, this, [this, i] { onVesselSpacingChanged(i); });
        connect(p.cbPt, &QComboBox::activated, this, [this, i] { onVesselPortChanged(i); });
        connect(p.cbPt->lineEdit(), &QLineEdit::textEdited, this, [this, i] { onVesselPortChanged(i); });
        connect(p.cbPt, &DropDownPortBox::aboutToDropDown, this, [this, i] { onVesselPortAboutToDropDown(i); });
    }
}

ExtraVesselPanelValues ExtraVesselPanels::valuesOf(int i) const
{
    const Panel& p = panels[size_t(i)];
    ExtraVesselPanelValues v;
    v.enabled = p.chkEn->isChecked();
    v.name = toCp1254(p.edNm->text());  // 8-bit text in the settings file
    v.port = s(p.cbPt->currentText());
    v.baudRate = p.cbBd->currentIndex() >= 0 ? s(p.cbBd->currentText()) : std::string();
    v.color = p.cbxCl->color();
    v.spacing = s(p.cbSp->currentText());
    v.fwd = s(p.edFw->text());
    v.side = s(p.edSd->text());
    v.r1 = s(p.edR1->text());
    v.interval = s(p.edIv->text());
    v.amount = s(p.edN->text());
    return v;
}

void ExtraVesselPanels::show(int i, const ExtraVesselPanelValues& v)
{
    Panel& p = panels[size_t(i)];
    p.chkEn->setChecked(v.enabled);
    p.edNm->setText(fromCp1254(v.name));
    p.cbPt->setEditText(q(v.port));
    p.cbBd->setCurrentIndex(p.cbBd->findText(q(v.baudRate)));
    p.cbxCl->setColor(v.color);
    p.cbSp->setEditText(q(v.spacing));
    p.edFw->setText(q(v.fwd));
    p.edSd->setText(q(v.side));
    p.edR1->setText(q(v.r1));
    p.edIv->setText(q(v.interval));
    p.edN->setText(q(v.amount));
}

void ExtraVesselPanels::LoadVesselSettings()
{
    loaded_ = false;
    const VesselSizeDefaults d = sizeDefaults ? sizeDefaults() : VesselSizeDefaults {};
    for (Panel& p : panels) {
        QSignalBlocker block(p.cbPt);
        const QString text = p.cbPt->currentText();
        p.cbPt->clear();
        fillPorts(p.cbPt);
        p.cbPt->setEditText(text);
    }
    IniFile ini(GetIniFileName());
    for (int i = 0; i < kExtraVesselPanels; ++i) show(i, LoadExtraVesselPanel(ini, i + 2, d));
    loaded_ = true;
}

void ExtraVesselPanels::SaveVesselSettings()
{
    std::array<ExtraVesselPanelValues, kExtraVesselPanels> values;
    for (int i = 0; i < kExtraVesselPanels; ++i) values[size_t(i)] = valuesOf(i);
    IniFile ini(GetIniFileName());
    SaveExtraVesselPanels(ini, values, ExtraVessels);
}

void ExtraVesselPanels::onVesselValueChanged()
{
    if (loaded_) SaveVesselSettings();
}

void ExtraVesselPanels::onVesselSpacingChanged(int i)
{
    ExtraVesselPanelValues v = valuesOf(i);
    if (!ApplyExtraVesselSpacing(v, v.spacing)) return;
    Panel& p = panels[size_t(i)];
    p.edR1->setText(q(v.r1));
    p.edIv->setText(q(v.interval));
    p.edSd->setText(q(v.side));
    p.edFw->setText(q(v.fwd));
    if (loaded_) SaveVesselSettings();
}

void ExtraVesselPanels::onVesselPortChanged(int i)
{
    if (!loaded_) return;
    const std::string port = s(panels[size_t(i)].cbPt->currentText());
    {
        IniFile ini(GetIniFileName());
        ini.writeString("GPS" + std::to_string(i + 2), "Port", port);
    }
    if (size_t(i) < ExtraVessels.size()) ExtraVessels[size_t(i)].Port = port;
}

void ExtraVesselPanels::onVesselPortAboutToDropDown(int i)
{
    QComboBox* box = panels[size_t(i)].cbPt;
    if (box->count() > 0) return;
    QSignalBlocker block(box);
    const QString text = box->currentText();
    fillPorts(box);
    box->setEditText(text);
}

} // namespace vsx
