// The translation walk over every kind of control, both ways: Turkish, back to English exactly
// (also where two keys share a translation), texts set by the program since, composed texts,
// values left alone, windows shown after a switch and the platform's own button words.
#include "app/Translated.h"
#include "app/TranslationManager.h"
#include "app/windows/WindowTranslation.h"

#include "support/TempHome.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <memory>

using namespace vsx;
using vsx::test::TempHome;

namespace {

const char* kTurkish = "\xEF\xBB\xBF{\n"
                       "  \"&Yes\": \"&Evet\",\n"
                       "  \"Check\": \"Denetle\",\n"
                       "  \"File\": \"Dosya\",\n"
                       "  \"Group\": \"Grup\",\n"
                       "  \"Halt\": \"Durdur\",\n"
                       "  \"Hint\": \"\xC4\xB0pucu\",\n"
                       "  \"Name\": \"Ad\",\n"
                       "  \"Open...\": \"A\xC3\xA7...\",\n"
                       "  \"Radio\": \"Radyo\",\n"
                       "  \"Red\": \"K\xC4\xB1rm\xC4\xB1z\xC4\xB1\",\n"
                       "  \"Recent\": \"Son Kullan\xC4\xB1lanlar\",\n"
                       "  \"Route: %1 points\": \"Rota: %1 nokta\",\n"
                       "  \"Sheet\": \"Sayfa\",\n"
                       "  \"Start\": \"Ba\xC5\x9Flat\",\n"
                       "  \"Stop\": \"Durdur\",\n"
                       "  \"Type here\": \"Buraya yaz\xC4\xB1n\",\n"
                       "  \"Window\": \"Pencere\",\n"
                       "  \"Connecting to %1:%2\": \"%1:%2 adresine ba\xC4\x9Flan\xC4\xB1l\xC4\xB1yor\",\n"
                       "  \"Line %2 of %1\": \"%1 dosyas\xC4\xB1n\xC4\xB1n %2. sat\xC4\xB1r\xC4\xB1\"\n"
                       "}";

QString u8(const char* s) { return QString::fromUtf8(s); }

struct Form {
    Form()
    {
        window.setObjectName("TestWindow");
        window.setWindowTitle("Window");
        auto* layout = new QVBoxLayout(&window);
        auto* bar = new QMenuBar(&window);
        QMenu* file = bar->addMenu("File");
        open = file->addAction("Open...");
        file->addSeparator();
        recent = file->addMenu("Recent");
        layout->setMenuBar(bar);
        label = new QLabel("Start", &window);
        label->setToolTip("Hint");
        halt = new QPushButton("Halt", &window);
        check = new QCheckBox("Check", &window);
        radio = new QRadioButton("Radio", &window);
        group = new QGroupBox("Group", &window);
        inGroup = new QLabel("Stop", group);
        tabs = new QTabWidget(&window);
        tabs->addTab(new QWidget, "Sheet");
        table = new QTableWidget(1, 2, &window);
        table->setHorizontalHeaderLabels({"Name", "tr"});
        MarkAsValue(table->horizontalHeaderItem(1));
        edit = new QLineEdit(&window);
        edit->setPlaceholderText("Type here");
        colours = new QComboBox(&window);
        colours->addItem("Red");
        TranslateItemsOf(colours);
        stored = new QComboBox(&window);
        stored->addItem("Red");
        value = new QLabel("Start", &window);
        MarkAsValue(value);
        number = new QLabel("12.5", &window);
        route = new QLabel(&window);
        SetTranslatedText(route, "Route: %1 points", {"3"});
        local = new QPushButton(&window);
        SetLocalText(local, "Single SV Used", u8("Tek Ses H\xC4\xB1z\xC4\xB1 De\xC4\x9F" "eri"));
        for (QWidget* w : std::initializer_list<QWidget*>{label, halt, check, radio, group, tabs, table, edit, colours,
                                                          stored, value, number, route, local})
            layout->addWidget(w);
    }
    QStringList texts() const
    {
        return {window.windowTitle(), open->text(), recent->title(), label->text(), label->toolTip(), halt->text(),
                check->text(), radio->text(), group->title(), inGroup->text(), tabs->tabText(0),
                table->horizontalHeaderItem(0)->text(), table->horizontalHeaderItem(1)->text(), edit->placeholderText(),
                colours->itemText(0), stored->itemText(0), value->text(), number->text(), route->text(), local->text()};
    }
    QWidget window;
    QAction* open;
    QMenu* recent;
    QLabel *label, *inGroup, *value, *number, *route;
    QPushButton *halt, *local;
    QCheckBox* check;
    QRadioButton* radio;
    QGroupBox* group;
    QTabWidget* tabs;
    QTableWidget* table;
    QLineEdit* edit;
    QComboBox *colours, *stored;
};

struct Languages {
    Languages()
    {
        home.writeFile("Languages/tr.json", kTurkish);
        delete Translator;
        Translator = new TranslationManager(home.path("Languages/"));
    }
    ~Languages()
    {
        delete Translator;
        Translator = nullptr;
    }
    TempHome home;
};

} // namespace

TEST(TranslationWalk, EveryKindOfControlBothWays)
{
    Languages l;
    Form f;
    const QStringList english = f.texts();
    TranslateForm(&f.window);
    EXPECT_EQ(f.texts(), english) << "English stays English";

    Translator->SetLanguage("tr");
    TranslateForm(&f.window);
    const QStringList turkish{"Pencere", u8("A\xC3\xA7..."), u8("Son Kullan\xC4\xB1lanlar"), u8("Ba\xC5\x9Flat"),
                              u8("\xC4\xB0pucu"), "Durdur", "Denetle", "Radyo", "Grup", "Durdur", "Sayfa", "Ad", "tr",
                              u8("Buraya yaz\xC4\xB1n"), u8("K\xC4\xB1rm\xC4\xB1z\xC4\xB1"),
                              "Red", "Start", "12.5", "Rota: 3 nokta", u8("Tek Ses H\xC4\xB1z\xC4\xB1 De\xC4\x9F" "eri")};
    EXPECT_EQ(f.texts(), turkish) << "stored values, value labels and numbers stay as they are";

    Translator->SetLanguage("en");
    TranslateForm(&f.window);
    EXPECT_EQ(f.texts(), english) << "\"Halt\" and \"Stop\" share a Turkish text, yet each comes back";
    Translator->SetLanguage("tr");
    TranslateForm(&f.window);
    EXPECT_EQ(f.texts(), turkish);

    // Texts the program sets later: a plain English key is taken up by the next walk, a composed
    // one keeps its values.
    f.inGroup->setText("Start");
    SetTranslatedText(f.route, "Route: %1 points", {"12"});
    EXPECT_EQ(f.route->text(), "Rota: 12 nokta");
    Translator->SetLanguage("en");
    TranslateForm(&f.window);
    EXPECT_EQ(f.inGroup->text(), "Start");
    EXPECT_EQ(f.route->text(), "Route: 12 points");
    EXPECT_EQ(f.local->text(), "Single SV Used");
    EXPECT_EQ(l.home.readFile("Languages/missing.log"), "") << "no value or number is taken for a missing key";
}

TEST(TranslationWalk, WindowsShownLaterAndThePlatformsButtonsFollowTheLanguage)
{
    Languages l;
    InstallWindowTranslation();
    Translator->SetLanguage("tr");
    QWidget later;
    later.setObjectName("Later");
    later.setWindowTitle("Window");
    auto* label = new QLabel("Start", &later);
    later.show();
    EXPECT_EQ(later.windowTitle(), "Pencere");
    EXPECT_EQ(label->text(), u8("Ba\xC5\x9Flat"));

    // An edit's own context menu is the platform's: the walk leaves it to the platform's words.
    auto* edit = new QLineEdit(&later);
    std::unique_ptr<QMenu> editMenu(edit->createStandardContextMenu());
    editMenu->show();
    EXPECT_FALSE(editMenu->actions().isEmpty());

    QMessageBox box(QMessageBox::Question, "t", "x", QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text(), "&Evet");
    EXPECT_EQ(box.button(QMessageBox::No)->text(), "&No") << "a word the language file lacks stays as it is";
    Translator->SetLanguage("en");
    QMessageBox english(QMessageBox::Question, "t", "x", QMessageBox::Yes);
    EXPECT_EQ(english.button(QMessageBox::Yes)->text(), "&Yes");
    EXPECT_EQ(l.home.readFile("Languages/missing.log"), "");
}

TEST(TranslationWalk, MessagesMadeElsewhereAreReadBackToTheirKeys)
{
    Languages l;
    Translator->SetLanguage("tr");
    const auto shown = [](const char* message) {
        return translatedMessage(QString::fromUtf8(message), {"Halt", "Connecting to %1:%2", "Line %2 of %1"});
    };
    EXPECT_EQ(shown("Halt"), "Durdur");
    EXPECT_EQ(shown("Connecting to caster.example:2101"), u8("caster.example:2101 adresine ba\xC4\x9Flan\xC4\xB1l\xC4\xB1yor"));
    EXPECT_EQ(shown("Line 7 of a.txt"), u8("a.txt dosyas\xC4\xB1n\xC4\xB1n 7. sat\xC4\xB1r\xC4\xB1"));
    EXPECT_EQ(shown("Something else"), "Something else");
    EXPECT_EQ(l.home.readFile("Languages/missing.log"), "");
}
