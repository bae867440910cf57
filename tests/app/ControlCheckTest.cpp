// Every control a user can press, pick or type into does something: the program's windows are
// made as at start, and every menu action, button, combo box and edit whose user signal reaches
// no handler is listed. Controls of features still being built stand in one explicit list; a
// control on that list that has since been wired fails the test too, so the list only shrinks.
#include "app/SharedValues.h"
#include "platform/Prompts.h"
#include "program/ProgramStart.h"

#include "support/TempHome.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QMetaMethod>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTest>
#include <QTextEdit>
#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace vsx;
using namespace vsx::test;

namespace {

// QObject::isSignalConnected is protected; a pointer to it taken in a derived class's scope may be
// applied to any QObject.
struct SignalPeek : QObject {
    static bool connected(const QObject* object, const char* signature)
    {
        const int index = object->metaObject()->indexOfSignal(signature);
        if (index < 0) return false;
        const QMetaMethod signal = object->metaObject()->method(index);
        return (object->*(&SignalPeek::isSignalConnected))(signal);
    }
    // Number of connections to a signal given as SIGNAL() text ("2name(args)").
    static int receiverCount(const QObject* object, const char* signal)
    {
        return (object->*(&SignalPeek::receivers))(signal);
    }
};

bool anyConnected(const QObject* object, std::initializer_list<const char*> signatures)
{
    for (const char* s : signatures)
        if (SignalPeek::connected(object, s)) return true;
    return false;
}

// "window/object" of a control: the top-level window's object name and the control's own.
std::string controlName(const QObject* control, const QWidget* window)
{
    return window->objectName().toStdString() + "/" + control->objectName().toStdString();
}

// The user signals of one control that count as its handler.
bool isWired(const QObject* o)
{
    if (auto* a = qobject_cast<const QAction*>(o)) {
        // Every menu holding the action and a tool button showing it listen to its trigger.
        int internal = 0;
        for (const QObject* holder : a->associatedObjects())
            if (qobject_cast<const QMenu*>(holder) || qobject_cast<const QAbstractButton*>(holder)) ++internal;
        return SignalPeek::receiverCount(a, SIGNAL(triggered(bool))) > internal ||
               SignalPeek::receiverCount(a, SIGNAL(toggled(bool))) > 0;
    }
    if (auto* b = qobject_cast<const QAbstractButton*>(o)) {
        if (anyConnected(b, {"clicked(bool)", "toggled(bool)"})) return true;
        // A dialog button box's buttons speak through the box.
        if (auto* box = qobject_cast<const QDialogButtonBox*>(b->parent()))
            return anyConnected(box, {"accepted()", "rejected()", "clicked(QAbstractButton*)"});
        return false;
    }
    if (qobject_cast<const QComboBox*>(o)) {
        return anyConnected(o, {"activated(int)", "textActivated(QString)", "currentIndexChanged(int)",
                                "currentTextChanged(QString)", "editTextChanged(QString)"});
    }
    if (qobject_cast<const QLineEdit*>(o)) {
        return anyConnected(o, {"textChanged(QString)", "textEdited(QString)", "editingFinished()",
                                "returnPressed()"});
    }
    if (qobject_cast<const QAbstractSpinBox*>(o)) {
        return anyConnected(o, {"valueChanged(int)", "valueChanged(double)", "editingFinished()",
                                "textChanged(QString)"});
    }
    return true;
}

// Controls a user reaches: named, not part of another widget's machinery (a spin box's or
// combo box's inner edit, a scroll area's buttons), not a menu's own title action.
bool isUserControl(const QObject* o)
{
    if (o->objectName().isEmpty() || o->objectName().startsWith("qt_")) return false;
    if (auto* a = qobject_cast<const QAction*>(o)) return !a->isSeparator() && !a->menu();
    if (auto* edit = qobject_cast<const QLineEdit*>(o)) {
        // A read-only or disabled field only shows a value; the user cannot change it.
        if (edit->isReadOnly() || !edit->isEnabled()) return false;
        const QObject* p = o->parent();
        return !qobject_cast<const QAbstractSpinBox*>(p) && !qobject_cast<const QComboBox*>(p);
    }
    return qobject_cast<const QAbstractButton*>(o) || qobject_cast<const QComboBox*>(o) ||
           qobject_cast<const QAbstractSpinBox*>(o);
}

// Value fields that need no handler of their own: their window reads them when its command runs
// (a settings group read on save or apply).
const std::set<std::string> kReadWhenUsed = {
    // GGA forwarding and UDP input, read when the device settings are saved.
    "FGPS/cbSerialBaud", "FGPS/cbSerialPort", "FGPS/cbTCPAutoConnect", "FGPS/edTCPPort", "FGPS/edUDPIP",
    "FGPS/rbForwardSerial", "FGPS/rbForwardUDP",
    // The NTRIP window's caster, position and output fields, read on Connect, Fetch Sources, "+"
    // and Enable, and saved with [NTRIP].
    "frmNTRIPSettings/boxMountpoint", "frmNTRIPSettings/boxOutputBaud", "frmNTRIPSettings/boxOutputPort",
    "frmNTRIPSettings/edtLatitude", "frmNTRIPSettings/edtLongitude", "frmNTRIPSettings/edtPassword",
    "frmNTRIPSettings/edtPort", "frmNTRIPSettings/edtServer", "frmNTRIPSettings/edtUsername",
    // The sound-velocity window's parameters, read by the step that uses them (a double click on
    // the search format brings its default back through an event filter).
    "fSVP/eSearchString", "fSVP/eMaxDepth", "fSVP/rSVFirst", "fSVP/rDFirst",
};

// Controls that still wait for their feature, as "window/object". Take a control out when its
// feature wires it.
const std::set<std::string> kAwaitingFeature = {
};

} // namespace

TEST(ControlCheck, EveryControlOfTheRunningProgramHasAHandler)
{
    TempHome home;
    RecordingPrompts answers;
    InitSharedValues();
    setPrompts(&answers);
    CreateAllWindows();
    QTest::qWait(50);

    std::set<std::string> unwired;
    for (QWidget* window : AllWindows()) {
        if (!window) continue;
        for (QObject* o : window->findChildren<QObject*>())
            if (isUserControl(o) && !isWired(o) && !kReadWhenUsed.count(controlName(o, window)))
                unwired.insert(controlName(o, window));
    }
    DestroyAllWindows();
    setPrompts(nullptr);

    std::string unexpected, stale;
    for (const std::string& c : unwired)
        if (!kAwaitingFeature.count(c)) unexpected += "    \"" + c + "\",\n";
    for (const std::string& c : kAwaitingFeature)
        if (!unwired.count(c)) stale += "    \"" + c + "\",\n";
    EXPECT_TRUE(unexpected.empty()) << "controls without a handler:\n" << unexpected;
    EXPECT_TRUE(stale.empty()) << "wired now; take them out of the list:\n" << stale;
}
