#pragma once
// The three panels of the "Multi-GNSS" sheet, one per further vessel (2, 3 and 4): switch, name,
// port, baud rate, colour, run-line spacing and symbol sizes. Once loaded, every change saves all
// three panels and updates ExtraVessels; a port change writes only the port.
#include "input/ExtraVesselSettings.h"

#include <QComboBox>
#include <QWidget>
#include <array>
#include <functional>

class QCheckBox;
class QLineEdit;

namespace vsx {

class ColorBox;

// An editable port box that says when its list is about to drop down, so the list can be filled
// first.
class DropDownPortBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    void showPopup() override;

signals:
    void aboutToDropDown();
};

class ExtraVesselPanels : public QWidget {
    Q_OBJECT
public:
    explicit ExtraVesselPanels(QWidget* parent = nullptr);

    struct Panel {
        QCheckBox* chkEn;
        QLineEdit* edNm;
        DropDownPortBox* cbPt;
        QComboBox* cbBd;
        ColorBox* cbxCl;
        QComboBox* cbSp;
        QLineEdit* edFw;
        QLineEdit* edSd;
        QLineEdit* edR1;
        QLineEdit* edIv;
        QLineEdit* edN;
    };
    std::array<Panel, kExtraVesselPanels> panels;

    // Where a new vessel's sizes come from (the own vessel's geometry); defaults when unset.
    std::function<VesselSizeDefaults()> sizeDefaults;

    void LoadVesselSettings();
    void SaveVesselSettings();
    bool loaded() const { return loaded_; }

    void onVesselValueChanged();
    void onVesselSpacingChanged(int panel);
    void onVesselPortChanged(int panel);
    void onVesselPortAboutToDropDown(int panel);

private:
    ExtraVesselPanelValues valuesOf(int panel) const;
    void show(int panel, const ExtraVesselPanelValues& values);
    void BindVesselControls();

    bool loaded_ = false;
};

} // namespace vsx
