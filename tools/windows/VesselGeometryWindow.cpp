#include "tools/windows/VesselGeometryWindow.h"

#include "app/Translated.h"
#include "platform/Text.h"

#include "app/Settings.h"
#include "app/SharedValues.h"
#include "app/windows/ColorBox.h"
#include "app/windows/NumberEdit.h"
#include "app/windows/WindowSetup.h"
#include "tools/windows/WindowLook.h"
#include "platform/IniFile.h"
#include "platform/Numbers.h"
#include "platform/Prompts.h"
#include "tools/SurveyHost.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace vsx {
namespace {
QString q(const std::string& s) { return QString::fromStdString(s); }
std::string s(const QString& q) { return q.toStdString(); }

NumberEdit* sizeEdit(NumberEdit::Kind kind, double initial)
{
    auto* e = new NumberEdit(kind, initial);
    e->restrictTyping(false);
    return e;
}
} // namespace

VesselGeometryWindow::VesselGeometryWindow(QWidget* parent) : QWidget(parent)
{
    SetUpWindow(this, {"FShape", "Vessel Geometry", true, QSize(520, 470)});
    // No title-bar buttons: "Save && Hide" is the way out.
    KeepNoTitleButtons(this);

    edRadious = sizeEdit(NumberEdit::Kind::Float, 10.0);
    edInterval = sizeEdit(NumberEdit::Kind::Float, 10.0);
    edBArrow = sizeEdit(NumberEdit::Kind::Float, 100.0);
    edAmount = sizeEdit(NumberEdit::Kind::Integer, 2);
    edLArrow = sizeEdit(NumberEdit::Kind::Float, 10.0);
    edRadious->setText("10");
    edInterval->setText("10");
    edBArrow->setText("100");
    edAmount->setText("2");
    edLArrow->setText("10");

    auto* shapeGroup = new QGroupBox(QStringLiteral("Vessel Shape"));
    auto* shapeForm = new QFormLayout(shapeGroup);
    shapeForm->addRow(QStringLiteral("Radius of first circle"), edRadious);
    shapeForm->addRow(QStringLiteral("Offset to next circle"), edInterval);
    shapeForm->addRow(QStringLiteral("Arrow's longitudinal length"), edBArrow);
    shapeForm->addRow(QStringLiteral("Total number of circles"), edAmount);
    shapeForm->addRow(QStringLiteral("Arrow's sideward length"), edLArrow);

    cRunlineSpacing = new QComboBox;
    for (const std::string& item : RunlineSpacingItems()) cRunlineSpacing->addItem(q(item));
    cRunlineSpacing->setCurrentText("10");
    auto* spacingGroup = new QGroupBox(QStringLiteral("Runline Spacing"));
    (new QVBoxLayout(spacingGroup))->addWidget(cRunlineSpacing);

    edSensorName = new QLineEdit("Transducer");
    edSensorX = new QLineEdit("0.0");
    edSensorY = new QLineEdit("0.0");
    cbSensorColor = new ColorBox(nullptr, clBlue);
    cbSensorVisible = new QCheckBox(QStringLiteral("Visible"));
    cbSensorVisible->setChecked(true);
    btnAddSensor = new QPushButton(QStringLiteral("Add"));
    btnUpdateSensor = new QPushButton(QStringLiteral("Update"));
    btnDeleteSensor = new QPushButton(QStringLiteral("Delete"));
    lbSensors = new QListWidget;
    cbShowSensorLabels = new QCheckBox(QStringLiteral("Show Sensor Labels"));
    cbShowSensorLabels->setChecked(true);
    auto* sensorGroup = new QGroupBox(QStringLiteral("Sensor Locations"));
    auto* sensorLayout = new QVBoxLayout(sensorGroup);
    auto* sensorForm = new QFormLayout;
    sensorForm->addRow(QStringLiteral("Name"), edSensorName);
    sensorForm->addRow(QStringLiteral("X Offset (Stbd +)"), edSensorX);
    sensorForm->addRow(QStringLiteral("Y Offset (Bow +)"), edSensorY);
    sensorForm->addRow(QStringLiteral("Color"), cbSensorColor);
    sensorForm->addRow(QString(), cbSensorVisible);
    sensorLayout->addLayout(sensorForm);
    auto* sensorButtons = new QHBoxLayout;
    sensorButtons->addWidget(btnAddSensor);
    sensorButtons->addWidget(btnUpdateSensor);
    sensorButtons->addWidget(btnDeleteSensor);
    sensorLayout->addLayout(sensorButtons);
    sensorLayout->addWidget(lbSensors);
    sensorLayout->addWidget(cbShowSensorLabels);

    saveButton = new QPushButton(QStringLiteral("Save && Hide"));  // shows one '&' 
    bDefault = new QPushButton(QStringLiteral("Default"));

    auto* left = new QVBoxLayout;
    left->addWidget(shapeGroup);
    left->addWidget(spacingGroup);
    left->addStretch();
    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addWidget(sensorGroup, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(bDefault);
    buttons->addStretch();
    buttons->addWidget(saveButton);
    auto* root = new QVBoxLayout(this);
    root->addLayout(columns);
    root->addLayout(buttons);

    connect(saveButton, &QPushButton::clicked, this, &VesselGeometryWindow::onSaveClicked);
    connect(bDefault, &QPushButton::clicked, this, &VesselGeometryWindow::onDefaultClicked);
    connect(cRunlineSpacing, &QComboBox::activated, this, &VesselGeometryWindow::onRunlineSpacingChosen);
    connect(btnAddSensor, &QPushButton::clicked, this, &VesselGeometryWindow::onAddSensorClicked);
    connect(btnUpdateSensor, &QPushButton::clicked, this, &VesselGeometryWindow::onUpdateSensorClicked);
    connect(btnDeleteSensor, &QPushButton::clicked, this, &VesselGeometryWindow::onDeleteSensorClicked);
    connect(lbSensors, &QListWidget::currentRowChanged, this, &VesselGeometryWindow::onSensorChosen);
    connect(lbSensors, &QListWidget::itemClicked, this, &VesselGeometryWindow::onSensorChosen);
    connect(cbSensorVisible, &QCheckBox::toggled, this, &VesselGeometryWindow::onSensorVisibleToggled);
    connect(cbShowSensorLabels, &QCheckBox::toggled, this, &VesselGeometryWindow::onShowSensorLabelsToggled);

    loadSettings();
}

VesselSymbolSizes VesselGeometryWindow::symbolSizes() const
{
    VesselSymbolSizes z;
    z.circles = edAmount->intValue();
    z.interval = edInterval->value();
    z.radius = edRadious->value();
    z.bowArrow = edBArrow->value();
    z.sideArrow = edLArrow->value();
    return z;
}

double VesselGeometryWindow::runlineSpacing() const { return parseDouble(s(cRunlineSpacing->currentText())).value_or(10.0); }

VesselShapeTexts VesselGeometryWindow::shapeTexts() const
{
    VesselShapeTexts t;
    t.circles = s(edAmount->text());
    t.interval = s(edInterval->text());
    t.radius = s(edRadious->text());
    t.bowArrow = s(edBArrow->text());
    t.sideArrow = s(edLArrow->text());
    t.runlineSpacing = s(cRunlineSpacing->currentText());
    return t;
}

void VesselGeometryWindow::showShapeTexts(const VesselShapeTexts& t)
{
    edAmount->setText(q(t.circles));
    edInterval->setText(q(t.interval));
    edRadious->setText(q(t.radius));
    edBArrow->setText(q(t.bowArrow));
    edLArrow->setText(q(t.sideArrow));
}

void VesselGeometryWindow::loadSettings()
{
    {
        IniFile ini(GetIniFileName());
        const VesselShapeTexts t = LoadVesselShape(ini);
        showShapeTexts(t);
        cRunlineSpacing->setCurrentText(q(t.runlineSpacing));  // selecting from code runs no handler
    }
    LoadSensors();
    RefreshSensorList();
}

void VesselGeometryWindow::LoadSensors()
{
    SensorSettings loaded;
    {
        IniFile ini(GetIniFileName());
        loaded = LoadSensorSettings(ini);
    }
    VesselSensors = std::move(loaded.sensors);
    ShowSensorLabels = loaded.showLabels;
    cbShowSensorLabels->setChecked(ShowSensorLabels);
    ActiveTrackingSensor = loaded.activeTracking;
}

void VesselGeometryWindow::SaveSensors()
{
    ShowSensorLabels = cbShowSensorLabels->isChecked();
    IniFile ini(GetIniFileName());
    SaveSensorSettings(ini, {VesselSensors, ShowSensorLabels, ActiveTrackingSensor});
}

void VesselGeometryWindow::RefreshSensorList()
{
    const QSignalBlocker block(lbSensors);
    lbSensors->clear();
    for (const VesselSensor& v : VesselSensors) {
        QString line = fromCp1254(SensorListLine(v));
        if (line.endsWith(QLatin1String(" (hidden)"))) line = line.chopped(9) + ' ' + translated("(hidden)");
        lbSensors->addItem(line);
    }
}

void VesselGeometryWindow::onSaveClicked()
{
    {
        IniFile ini(GetIniFileName());
        SaveVesselShape(ini, shapeTexts());
    }
    SaveSensors();
    hide();
}

void VesselGeometryWindow::onRunlineSpacingChosen()
{
    if (auto t = ShapeFromSpacing(s(cRunlineSpacing->currentText()), shapeTexts())) showShapeTexts(*t);
}

void VesselGeometryWindow::onDefaultClicked()
{
    cRunlineSpacing->setCurrentText("10");
    edAmount->setText("2");
    onRunlineSpacingChosen();
}

int VesselGeometryWindow::selectedSensor() const
{
    const int row = lbSensors->currentRow();
    return row >= 0 && row < int(VesselSensors.size()) ? row : -1;
}

void VesselGeometryWindow::selectSensorRow(int row)
{
    const QSignalBlocker block(lbSensors);
    lbSensors->setCurrentRow(row);
}

void VesselGeometryWindow::clearSensorEditor()
{
    edSensorName->clear();
    edSensorX->setText("0.0");
    edSensorY->setText("0.0");
}

bool VesselGeometryWindow::refused(SensorEditResult result)
{
    if (result == SensorEditResult::Done) return false;
    prompts().message(translated(SensorEditMessage(result)), {}, PromptKind::Information, this);
    return true;
}

namespace {
SensorInput inputOf(const VesselGeometryWindow& w)
{
    return {toCp1254(w.edSensorName->text()), w.edSensorX->text().toStdString(),
            w.edSensorY->text().toStdString(), w.cbSensorColor->color(), w.cbSensorVisible->isChecked()};
}
} // namespace

void VesselGeometryWindow::onAddSensorClicked()
{
    if (refused(AddSensor(VesselSensors, inputOf(*this), surveyHost().RealtimeRunning()))) return;
    RefreshSensorList();
    clearSensorEditor();
}

void VesselGeometryWindow::onUpdateSensorClicked()
{
    const int row = lbSensors->currentRow();
    if (refused(UpdateSensor(VesselSensors, row, inputOf(*this)))) return;
    RefreshSensorList();
    selectSensorRow(row);
}

void VesselGeometryWindow::onDeleteSensorClicked()
{
    if (refused(DeleteSensor(VesselSensors, ActiveTrackingSensor, lbSensors->currentRow(),
                             surveyHost().RealtimeRunning())))
        return;
    RefreshSensorList();
    clearSensorEditor();
}

void VesselGeometryWindow::onSensorChosen()
{
    const int row = selectedSensor();
    if (row < 0) return;
    const VesselSensor v = VesselSensors[size_t(row)];
    edSensorName->setText(fromCp1254(v.Name));
    edSensorX->setText(q(formatFixed(v.OffsetX, 2)));
    edSensorY->setText(q(formatFixed(v.OffsetY, 2)));
    cbSensorColor->setColor(v.Color);
    cbSensorVisible->setChecked(v.Visible);
}

void VesselGeometryWindow::onSensorVisibleToggled()
{
    const int row = selectedSensor();
    if (row < 0) return;
    VesselSensors[size_t(row)].Visible = cbSensorVisible->isChecked();
    RefreshSensorList();
    selectSensorRow(row);
}

void VesselGeometryWindow::onShowSensorLabelsToggled() { ShowSensorLabels = cbShowSensorLabels->isChecked(); }

} // namespace vsx
