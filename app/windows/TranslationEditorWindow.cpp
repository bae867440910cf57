#include "app/windows/TranslationEditorWindow.h"

#include "app/TranslationManager.h"
#include "app/Translated.h"
#include "app/windows/FrozenColumnTable.h"
#include "app/windows/WindowTranslation.h"
#include "app/windows/WindowSetup.h"
#include "platform/Prompts.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vsx {
namespace {

QString u8(const std::string& s) { return QString::fromUtf8(s.data(), int(s.size())); }
std::string s8(const QString& s) { return s.toUtf8().toStdString(); }

} // namespace

TranslationEditorWindow::TranslationEditorWindow(QWidget* parent) : QWidget(parent)
{
    SetUpWindow(this, {"fTranslationEditor", "Translation Editor", false, QSize(750, 450)});

    auto* top = new QHBoxLayout;
    LabelLanguage = new QLabel(QStringLiteral("Edit Language:"), this);
    LabelLanguage->setObjectName("LabelLanguage");
    cbLanguage = new QComboBox(this);
    cbLanguage->setObjectName("cbLanguage");
    cbLanguage->setEditable(false);
    btReload = new QPushButton(QStringLiteral("Reload"), this);
    btReload->setObjectName("btReload");
    btSave = new QPushButton(QStringLiteral("Save Changes"), this);
    btSave->setObjectName("btSave");
    top->addWidget(LabelLanguage);
    top->addWidget(cbLanguage);
    top->addWidget(btReload);
    top->addWidget(btSave);
    top->addStretch();

    // The key column stays in view while the texts scroll sideways.
    sgTranslations = new FrozenColumnTable(this);
    sgTranslations->setObjectName("sgTranslations");
    sgTranslations->setColumnCount(3);
    sgTranslations->verticalHeader()->hide();
    sgTranslations->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                                    QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);

    auto* bottom = new QHBoxLayout;
    edNewKey = new QLineEdit(this);
    edNewKey->setObjectName("edNewKey");
    btAddKey = new QPushButton(QStringLiteral("Add Key"), this);
    btAddKey->setObjectName("btAddKey");
    LabelStatus = new QLabel(this);
    LabelStatus->setObjectName("LabelStatus");
    bottom->addWidget(edNewKey, 1);
    bottom->addWidget(btAddKey);
    bottom->addWidget(LabelStatus, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(sgTranslations, 1);
    layout->addLayout(bottom);

    connect(cbLanguage, qOverload<int>(&QComboBox::activated), this, &TranslationEditorWindow::languageChosen);
    connect(btSave, &QPushButton::clicked, this, [this] { saveGrid(); });
    connect(btReload, &QPushButton::clicked, this, [this] {
        if (!Translator) return;
        Translator->Reload();
        fillLanguageList();
        loadGrid(cbLanguage->currentText());
        SetTranslatedText(LabelStatus, "Reloaded");
    });
    connect(btAddKey, &QPushButton::clicked, this, &TranslationEditorWindow::addKey);
    connect(edNewKey, &QLineEdit::returnPressed, this, &TranslationEditorWindow::addKey);
    connect(sgTranslations, &QTableWidget::cellChanged, this, &TranslationEditorWindow::cellEdited);

    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect r = screen->availableGeometry();
        move(r.center() - QPoint(width() / 2, height() / 2));
    }
}

void TranslationEditorWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!Translator) return;
    setWindowTitle(translated("Translation Editor"));
    LabelLanguage->setText(translated("Edit Language:"));
    btReload->setText(translated("Reload"));
    btSave->setText(translated("Save Changes"));
    btAddKey->setText(translated("Add Key"));
    fillLanguageList();
    loadGrid(cbLanguage->currentText());
    LabelStatus->clear();
}

void TranslationEditorWindow::fillLanguageList()
{
    const QSignalBlocker block(cbLanguage);
    cbLanguage->clear();
    if (!Translator) return;
    for (const std::string& code : Translator->codes()) cbLanguage->addItem(u8(code));
    const int current = cbLanguage->findText(u8(Translator->current()));
    cbLanguage->setCurrentIndex(current >= 0 ? current : (cbLanguage->count() > 0 ? 0 : -1));
}

void TranslationEditorWindow::loadGrid(const QString& language)
{
    const QSignalBlocker block(sgTranslations);
    gridLanguage_ = language;
    const std::vector<std::string> keys = Translator ? Translator->EditorKeys() : std::vector<std::string>{};
    sgTranslations->clearContents();
    sgTranslations->setRowCount(std::max<int>(int(keys.size()), 1));
    sgTranslations->setHorizontalHeaderLabels({translated("Key"), translated("English"), language});
    MarkAsValue(sgTranslations->horizontalHeaderItem(2));  // the language code
    sgTranslations->setColumnWidth(0, 200);
    sgTranslations->setColumnWidth(1, 250);
    sgTranslations->setColumnWidth(2, 250);
    const std::string lang = s8(language);
    for (int row = 0; row < int(keys.size()); ++row) {
        const std::string& key = keys[std::size_t(row)];
        auto* keyItem = new QTableWidgetItem(u8(key));
        // Keys are fixed: a key is renamed by adding the new one.
        keyItem->setFlags(keyItem->flags() & ~Qt::ItemIsEditable);
        sgTranslations->setItem(row, 0, keyItem);
        sgTranslations->setItem(row, 1, new QTableWidgetItem(u8(Translator->EditorTable("en", key))));
        sgTranslations->setItem(row, 2, new QTableWidgetItem(u8(Translator->EditorTable(lang, key))));
    }
    modified_ = false;
}

void TranslationEditorWindow::cellEdited(int, int column)
{
    if (column == 0) return;
    modified_ = true;
    SetTranslatedText(LabelStatus, "Modified");
}

bool TranslationEditorWindow::saveGrid()
{
    if (!Translator) return false;
    const std::string lang = s8(gridLanguage_);
    for (int row = 0; row < sgTranslations->rowCount(); ++row) {
        const QTableWidgetItem* key = sgTranslations->item(row, 0);
        if (!key || key->text().isEmpty()) continue;
        const auto cell = [this, row](int column) {
            const QTableWidgetItem* item = sgTranslations->item(row, column);
            return item ? s8(item->text()) : std::string();
        };
        Translator->EditorSetEntry("en", s8(key->text()), cell(1));
        Translator->EditorSetEntry(lang, s8(key->text()), cell(2));
    }
    Translator->SaveLanguage("en");
    std::string error;
    if (!Translator->SaveLanguage(lang, &error)) {
        // The edits stay in the grid, still marked, so that a save once the file can be
        // written again stores them.
        SetTranslatedText(LabelStatus, "Not saved");
        prompts().message(translatedArgs("The language file %1 could not be written: %2",
                                         {u8(Translator->LanguageFileName(lang)), u8(error)}),
                          windowTitle(), PromptKind::Error, this);
        return false;
    }
    modified_ = false;
    SetTranslatedText(LabelStatus, "Saved!");
    return true;
}

void TranslationEditorWindow::languageChosen(int)
{
    // Picking the language already shown changes nothing and asks nothing.
    if (cbLanguage->currentText() == gridLanguage_) return;
    if (modified_) {
        const PromptAnswer a = prompts().ask(translated("Do you want to save changes?"), windowTitle(),
                                             {PromptAnswer::Yes, PromptAnswer::No, PromptAnswer::Cancel});
        // Cancel, or a save that failed: the grid keeps the language it was loaded for and its
        // edits; so does the list.
        if (a == PromptAnswer::Cancel || (a == PromptAnswer::Yes && !saveGrid())) {
            const QSignalBlocker block(cbLanguage);
            cbLanguage->setCurrentIndex(cbLanguage->findText(gridLanguage_));
            return;
        }
    }
    loadGrid(cbLanguage->currentText());
    LabelStatus->clear();
}

void TranslationEditorWindow::addKey()
{
    const QString key = edNewKey->text().trimmed();
    if (key.isEmpty()) return;
    for (int row = 0; row < sgTranslations->rowCount(); ++row) {
        const QTableWidgetItem* item = sgTranslations->item(row, 0);
        if (item && item->text() == key) {
            SetTranslatedText(LabelStatus, "Key already exists");
            return;
        }
    }
    const QSignalBlocker block(sgTranslations);
    // An empty list shows one empty row: the first key takes it.
    int row = sgTranslations->rowCount();
    const QTableWidgetItem* first = sgTranslations->item(0, 0);
    if (row == 1 && (!first || first->text().isEmpty())) row = 0;
    else sgTranslations->setRowCount(row + 1);
    auto* keyItem = new QTableWidgetItem(key);
    keyItem->setFlags(keyItem->flags() & ~Qt::ItemIsEditable);
    sgTranslations->setItem(row, 0, keyItem);
    sgTranslations->setItem(row, 1, new QTableWidgetItem(key));
    sgTranslations->setItem(row, 2, new QTableWidgetItem(QString()));
    sgTranslations->scrollToItem(keyItem);
    edNewKey->clear();
    modified_ = true;
    SetTranslatedText(LabelStatus, "Key added - don't forget to save");
}

} // namespace vsx
