#include "app/windows/WindowTranslation.h"

#include "app/Translated.h"
#include "app/TranslationManager.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QDockWidget>
#include <QEvent>
#include <QFileDialog>
#include <QFontDialog>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressDialog>
#include <QTabBar>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTranslator>
#include <QTreeWidget>

#include <functional>

namespace vsx {
namespace {

constexpr const char* kValueText = "vsxValueText";
constexpr const char* kLanguage = "vsxLanguage";
// A combo box whose items are words to show, not values the program reads back.
constexpr const char* kTranslateItems = "vsxTranslateItems";
// A table header item showing a value.
constexpr int kValueItemRole = Qt::UserRole + 0x5658;

// What a control shows for one of its texts ("text", "title", "tip", "tab2" ...), kept on the
// control as dynamic properties.
struct Record {
    bool valid = false;
    QString key;
    QStringList args;
    QStringList pair;  // English and Turkish, when the program holds both itself
    QString shown;
};

QByteArray name(const char* what, const QByteArray& slot) { return QByteArray("vsx") + what + ':' + slot; }

Record readRecord(const QObject* o, const QByteArray& slot)
{
    Record r;
    const QVariant shown = o->property(name("Shown", slot));
    if (!shown.isValid()) return r;
    r.valid = true;
    r.shown = shown.toString();
    r.key = o->property(name("Key", slot)).toString();
    r.args = o->property(name("Args", slot)).toStringList();
    r.pair = o->property(name("Pair", slot)).toStringList();
    return r;
}

void writeRecord(QObject* o, const QByteArray& slot, const Record& r)
{
    o->setProperty(name("Shown", slot), r.shown);
    o->setProperty(name("Key", slot), r.key);
    o->setProperty(name("Args", slot), r.args.isEmpty() ? QVariant() : QVariant(r.args));
    o->setProperty(name("Pair", slot), r.pair.isEmpty() ? QVariant() : QVariant(r.pair));
}

QString render(const Record& r)
{
    if (r.pair.size() == 2) return fillArgs(EnglishInterface() ? r.pair[0] : r.pair[1], r.args);
    return translatedArgs(r.key, r.args);
}

bool hasLetter(const QString& s)
{
    for (QChar c : s)
        if (c.isLetter()) return true;
    return false;
}

using Setter = std::function<void(const QString&)>;

// One text of a control: its key is the one kept beside it while it still shows what the walk
// left there, else the text itself taken back to its key.
void translateSlot(QObject* owner, const QByteArray& slot, const QString& shown, const Setter& set, bool valueText)
{
    if (!Translator) return;
    Record r = readRecord(owner, slot);
    if (!r.valid || r.shown != shown) {
        if (valueText || !hasLetter(shown)) return;
        r = Record{true, QString::fromStdString(Translator->KeyOf(shown.toStdString())), {}, {}, {}};
    }
    r.shown = render(r);
    if (r.shown != shown) set(r.shown);
    writeRecord(owner, slot, r);
}

// Sets a text through a record made by the program (SetTranslatedText and its kin).
void setRecorded(QObject* owner, const QByteArray& slot, Record r, const Setter& set)
{
    r.valid = true;
    r.shown = render(r);
    set(r.shown);
    writeRecord(owner, slot, r);
}

Setter textSetter(QObject* o)
{
    if (auto* l = qobject_cast<QLabel*>(o)) return [l](const QString& t) { l->setText(t); };
    if (auto* b = qobject_cast<QAbstractButton*>(o)) return [b](const QString& t) { b->setText(t); };
    if (auto* g = qobject_cast<QGroupBox*>(o)) return [g](const QString& t) { g->setTitle(t); };
    if (auto* a = qobject_cast<QAction*>(o)) return [a](const QString& t) { a->setText(t); };
    if (auto* w = qobject_cast<QWidget*>(o)) return [w](const QString& t) { w->setWindowTitle(t); };
    return {};
}

QByteArray textSlotOf(QObject* o)
{
    const bool caption = qobject_cast<QWidget*>(o) && !qobject_cast<QLabel*>(o) && !qobject_cast<QAbstractButton*>(o) &&
                         !qobject_cast<QGroupBox*>(o);
    return caption ? QByteArrayLiteral("title") : QByteArrayLiteral("text");
}

// The platform's own pop-up menus (an edit's "qt_edit_menu") speak through PlatformTexts below.
bool isPlatformMenu(const QObject* o)
{
    return qobject_cast<const QMenu*>(o) && o->objectName().startsWith(QLatin1String("qt_"));
}

void translateAction(QAction* a)
{
    if (a->isSeparator() || a->text().isEmpty() || isPlatformMenu(a->parent())) return;
    translateSlot(a, "text", a->text(), [a](const QString& t) { a->setText(t); }, a->property(kValueText).toBool());
}

void translateHeaderItems(QObject* owner, const char* prefix, int count, const std::function<QTableWidgetItem*(int)>& item)
{
    for (int i = 0; i < count; ++i) {
        QTableWidgetItem* h = item(i);
        if (!h) continue;
        translateSlot(owner, prefix + QByteArray::number(i), h->text(), [h](const QString& t) { h->setText(t); },
                      h->data(kValueItemRole).toBool());
    }
}

void translateWidget(QWidget* w)
{
    const bool value = w->property(kValueText).toBool();
    const bool window = w->isWindow() && !qobject_cast<QMenu*>(w);
    if (window || qobject_cast<QToolBar*>(w) || qobject_cast<QDockWidget*>(w))
        translateSlot(w, "title", w->windowTitle(), [w](const QString& t) { w->setWindowTitle(t); }, value);
    if (!w->toolTip().isEmpty())
        translateSlot(w, "tip", w->toolTip(), [w](const QString& t) { w->setToolTip(t); }, false);

    if (auto* l = qobject_cast<QLabel*>(w)) {
        translateSlot(l, "text", l->text(), [l](const QString& t) { l->setText(t); }, value);
    } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        // A tool button showing an action takes its text from the action.
        auto* tool = qobject_cast<QToolButton*>(b);
        if (!tool || !tool->defaultAction())
            translateSlot(b, "text", b->text(), [b](const QString& t) { b->setText(t); }, value);
    } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
        translateSlot(g, "text", g->title(), [g](const QString& t) { g->setTitle(t); }, value);
    } else if (auto* bar = qobject_cast<QTabBar*>(w)) {
        for (int i = 0; i < bar->count(); ++i) {
            translateSlot(bar, "tab" + QByteArray::number(i), bar->tabText(i),
                          [bar, i](const QString& t) { bar->setTabText(i, t); }, value);
            if (!bar->tabToolTip(i).isEmpty())
                translateSlot(bar, "tabtip" + QByteArray::number(i), bar->tabToolTip(i),
                              [bar, i](const QString& t) { bar->setTabToolTip(i, t); }, false);
        }
    } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
        if (!e->placeholderText().isEmpty())
            translateSlot(e, "placeholder", e->placeholderText(), [e](const QString& t) { e->setPlaceholderText(t); }, false);
    } else if (auto* c = qobject_cast<QComboBox*>(w)) {
        if (!c->property(kTranslateItems).toBool()) return;
        for (int i = 0; i < c->count(); ++i)
            translateSlot(c, "item" + QByteArray::number(i), c->itemText(i),
                          [c, i](const QString& t) { c->setItemText(i, t); }, false);
    } else if (auto* table = qobject_cast<QTableWidget*>(w)) {
        translateHeaderItems(table, "column", table->columnCount(), [table](int i) { return table->horizontalHeaderItem(i); });
        translateHeaderItems(table, "row", table->rowCount(), [table](int i) { return table->verticalHeaderItem(i); });
    } else if (auto* tree = qobject_cast<QTreeWidget*>(w)) {
        QTreeWidgetItem* h = tree->headerItem();
        for (int i = 0; h && i < tree->columnCount(); ++i)
            translateSlot(tree, "column" + QByteArray::number(i), h->text(i), [h, i](const QString& t) { h->setText(i, t); }, false);
    }
}

void translateOne(QObject* o)
{
    if (auto* a = qobject_cast<QAction*>(o)) translateAction(a);
    else if (auto* w = qobject_cast<QWidget*>(o)) translateWidget(w);
}

// Windows of the platform's own dialogs hold texts of the moment (a message, file names).
bool isOwnWindow(const QWidget* w)
{
    if (qobject_cast<const QMessageBox*>(w) || qobject_cast<const QFileDialog*>(w) ||
        qobject_cast<const QColorDialog*>(w) || qobject_cast<const QFontDialog*>(w) ||
        qobject_cast<const QInputDialog*>(w) || qobject_cast<const QProgressDialog*>(w))
        return false;
    const Qt::WindowType type = w->windowType();
    if (type == Qt::ToolTip || type == Qt::SplashScreen || isPlatformMenu(w)) return false;
    return type != Qt::Popup || qobject_cast<const QMenu*>(w);
}

void markTranslated(QWidget* window)
{
    if (Translator) window->setProperty(kLanguage, QString::fromStdString(Translator->current()));
}

// Windows and menus made or left hidden while another language was shown catch up as they appear.
class ShowFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && Translator && watched->isWidgetType()) {
            auto* w = static_cast<QWidget*>(watched);
            if (w->isWindow() && isOwnWindow(w) &&
                w->property(kLanguage).toString() != QString::fromStdString(Translator->current()))
                TranslateForm(w);
        }
        return QObject::eventFilter(watched, event);
    }
};

// The platform's own words (the buttons of message boxes and dialogs) from the program's language
// files where these hold them; nothing is recorded as missing for them.
class PlatformTexts : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char*, const char* sourceText, const char*, int) const override
    {
        if (!Translator || Translator->current() == "en" || !sourceText) return {};
        const std::string text = Translator->TranslateIfKnown(sourceText);
        return text == sourceText ? QString() : QString::fromStdString(text);
    }
};

} // namespace

void TranslateComponent(QObject* component)
{
    if (!component || !Translator) return;
    translateOne(component);
    for (QObject* child : component->findChildren<QObject*>()) translateOne(child);
}

void TranslateForm(QWidget* window)
{
    if (!window || !Translator) return;
    TranslateComponent(window);
    markTranslated(window);
}

void TranslateMenuItem(QAction* item)
{
    if (!item || !Translator) return;
    translateAction(item);
    if (QMenu* sub = item->menu())
        for (QAction* a : sub->actions()) TranslateMenuItem(a);
}

void TranslateAllWindows()
{
    if (!Translator) return;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (isOwnWindow(w)) TranslateForm(w);
}

void InstallWindowTranslation()
{
    static QObject* installedOn = nullptr;
    if (!qApp || installedOn == qApp) return;
    installedOn = qApp;
    qApp->installEventFilter(new ShowFilter(qApp));
    QCoreApplication::installTranslator(new PlatformTexts(qApp));
}

void SetTranslatedText(QObject* control, const QString& english, const QStringList& args)
{
    if (!control) return;
    const Setter set = textSetter(control);
    if (!set) return;
    Record r;
    r.key = english;
    r.args = args;
    setRecorded(control, textSlotOf(control), r, set);
}

void SetTranslatedToolTip(QWidget* control, const QString& english, const QStringList& args)
{
    if (!control) return;
    Record r;
    r.key = english;
    r.args = args;
    if (english.isEmpty()) {
        control->setToolTip({});
        writeRecord(control, "tip", Record{true, {}, {}, {}, {}});
        return;
    }
    setRecorded(control, "tip", r, [control](const QString& t) { control->setToolTip(t); });
}

void SetLocalText(QObject* control, const QString& english, const QString& turkish, const QStringList& args)
{
    if (!control) return;
    const Setter set = textSetter(control);
    if (!set) return;
    Record r;
    r.key = english;
    r.pair = {english, turkish};
    r.args = args;
    setRecorded(control, textSlotOf(control), r, set);
}

void MarkAsValue(QObject* control)
{
    if (control) control->setProperty(kValueText, true);
}

void MarkAsValue(QTableWidgetItem* headerItem)
{
    if (headerItem) headerItem->setData(kValueItemRole, true);
}

bool IsMarkedAsValue(const QObject* control) { return control && control->property(kValueText).toBool(); }

bool IsMarkedAsValue(const QTableWidgetItem* headerItem)
{
    return headerItem && headerItem->data(kValueItemRole).toBool();
}

void TranslateItemsOf(QComboBox* box)
{
    if (box) box->setProperty(kTranslateItems, true);
}

} // namespace vsx
