#pragma once
// The "Translation Editor": every key of the Turkish language file beside its English text (the
// key itself) and its text in a chosen language; texts are edited in the grid, keys added below
// it, and the result written to the language file through the translation manager.
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace vsx {

class TranslationEditorWindow : public QWidget {
    Q_OBJECT
public:
    explicit TranslationEditorWindow(QWidget* parent = nullptr);

    QLabel* LabelLanguage;
    QComboBox* cbLanguage;
    QPushButton* btReload;
    QPushButton* btSave;
    QTableWidget* sgTranslations;
    QLineEdit* edNewKey;
    QPushButton* btAddKey;
    QLabel* LabelStatus;

    bool Modified() const { return modified_; }
    // The language the grid shows (and saves to).
    const QString& GridLanguage() const { return gridLanguage_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fillLanguageList();
    void loadGrid(const QString& language);
    // False when the language file could not be written (the user has been told why).
    bool saveGrid();
    void languageChosen(int index);
    void addKey();
    void cellEdited(int row, int column);

    bool modified_ = false;
    QString gridLanguage_;
};

} // namespace vsx
