#pragma once
// The "Sound Velocity" window: a probe cast's text file through four tables (source data,
// extracted pairs, per-metre means, SV column) into the SV column the depth handler corrects with
// while "Use Sound Velocity Profile" is ticked. Every table can be read and edited; the means
// also in the graph window.
#include "tools/SoundVelocityColumn.h"
#include "tools/SvpFiles.h"

#include <QWidget>

#include <optional>
#include <string>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace vsx {

class SoundVelocityWindow : public QWidget {
    Q_OBJECT
public:
    explicit SoundVelocityWindow(QWidget* parent = nullptr);

    // The column the depth handler uses: null while the profile is not in use.
    const SoundVelocityColumn* ColumnInUse() const;
    bool ProfileInUse() const { return ColumnInUse() != nullptr; }
    // The auto-save's copies: the four tables into the day's SVP folder while the profile is in
    // use. False, with the reason, when a copy could not be written.
    bool SaveDayCopiesIfInUse(std::string* error);

    QPlainTextEdit* mRawSVData;
    QPlainTextEdit* mRawSVExtracted;
    QPlainTextEdit* mSortedAveragedSV;
    QPlainTextEdit* mSVPColumn;
    QGroupBox* gParameters;
    QLineEdit* eSearchString;
    QLineEdit* eMaxDepth;
    QRadioButton* rSVFirst;
    QRadioButton* rDFirst;
    QMenu* mDefault;
    QAction* defaultsItem;
    QAction* autoDetectItem;
    QPushButton* loadProbeButton;  // "SVP": load a probe file
    QPushButton* bGraph;
    QPushButton* bRawToSVV;
    QPushButton* bSVVtoAveragedSV;
    QPushButton* bAveragedSVtoSVP;
    QPushButton* bSaveClose;
    QCheckBox* cUseSVP;

    void onLoadProbeClicked();
    void onExtractVelocitiesClicked();
    void onAverageVelocitiesClicked();
    void onBuildProfileColumnClicked();
    void onUseProfileToggled(bool checked);
    void onAutoDetectTriggered();
    void onDefaultsTriggered();
    void onSearchStringDoubleClicked();
    void onGraphClicked();
    void onSaveCloseClicked();  // "Save & Close"
    void loadTables();
    void onShown();
    void saveSettings();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPlainTextEdit* memoOf(SvpTable table) const;
    // MaxDepth from its edit; no value (reported) when it is no whole number from 1 up.
    std::optional<int> maxDepth();
    // Keeps the column in force in step with its text while the profile is in use.
    void columnTextChanged();
    bool writeCopies(bool dayCopies, std::string* error);

    std::optional<SoundVelocityColumn> committed_;
    bool creating_ = false;  // no dialogs while the window loads what it had
};

} // namespace vsx
