#pragma once
// The "Vessel Geometry" window: the sizes of the own vessel's map symbol and the list of sensor
// offset points (VesselSensors, ShowSensorLabels, ActiveTrackingSensor).
#include "tools/SensorList.h"
#include "tools/VesselGeometry.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace vsx {

class ColorBox;
class NumberEdit;

class VesselGeometryWindow : public QWidget {
    Q_OBJECT
public:
    explicit VesselGeometryWindow(QWidget* parent = nullptr);

    // What the map loop, the helmsman window and the extra-vessel panels read. Each size is the
    // edit's last text that was a number; the edits themselves tell whether their text is one.
    VesselSymbolSizes symbolSizes() const;
    // The selected run-line spacing (10 when the text is not a number).
    double runlineSpacing() const;

    // Group "Vessel Shape"
    NumberEdit* edRadious;
    NumberEdit* edInterval;
    NumberEdit* edBArrow;
    NumberEdit* edAmount;
    NumberEdit* edLArrow;
    // Group "Runline Spacing"
    QComboBox* cRunlineSpacing;
    // Group "Sensor Locations"
    QLineEdit* edSensorName;
    QLineEdit* edSensorX;
    QLineEdit* edSensorY;
    ColorBox* cbSensorColor;
    QCheckBox* cbSensorVisible;
    QPushButton* btnAddSensor;
    QPushButton* btnUpdateSensor;
    QPushButton* btnDeleteSensor;
    QListWidget* lbSensors;
    QCheckBox* cbShowSensorLabels;
    QPushButton* saveButton;  // "Save && Hide"
    QPushButton* bDefault;

    void loadSettings();
    void LoadSensors();
    void SaveSensors();
    void RefreshSensorList();
    void onSaveClicked();
    void onDefaultClicked();
    void onRunlineSpacingChosen();
    void onAddSensorClicked();
    void onUpdateSensorClicked();
    void onDeleteSensorClicked();
    void onSensorChosen();
    void onSensorVisibleToggled();
    void onShowSensorLabelsToggled();

private:
    VesselShapeTexts shapeTexts() const;
    void showShapeTexts(const VesselShapeTexts& texts);
    void selectSensorRow(int row);
    int selectedSensor() const;
    void clearSensorEditor();
    bool refused(SensorEditResult result);
};

} // namespace vsx
