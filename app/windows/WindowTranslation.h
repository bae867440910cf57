#pragma once
// The translation walk: every text a window shows (its caption, labels, buttons, check and radio
// boxes, group titles, tab titles, menu entries, table headers, hints and placeholder texts) is
// shown in the current language of the process-wide translation manager.
//
// Each text keeps its English key beside it on the control, so that switching languages back and
// forth always starts from the same key, even where two keys share one translation. A text the
// program set since (in English, or in a language shown in this run) is looked up afresh. Texts
// without letters (numbers, "---") are left alone, and so are the texts of controls marked as
// showing values, unless the program set them through SetTranslatedText.
#include <QString>
#include <QStringList>

class QAction;
class QComboBox;
class QTableWidgetItem;
class QObject;
class QWidget;

namespace vsx {

// A window's caption, then everything it holds, at any depth.
void TranslateForm(QWidget* window);
// One component and everything below it.
void TranslateComponent(QObject* component);
// A menu entry and its sub-menu, at any depth.
void TranslateMenuItem(QAction* item);
// Every window of the program (shown or hidden; message boxes and file dialogs excepted).
void TranslateAllWindows();
// From now on a window or menu shown after a language change is translated as it appears.
void InstallWindowTranslation();

// Shows `english` (a key, "%1" ... filled from args after translation) on a control, keeping the
// key so that the next language switch shows the same text in the new language. Works on labels,
// buttons, group boxes, actions and windows (caption).
void SetTranslatedText(QObject* control, const QString& english, const QStringList& args = {});
void SetTranslatedToolTip(QWidget* control, const QString& english, const QStringList& args = {});
// A text that exists as an English and a Turkish pair in the program itself: the English one
// while the interface is English, the Turkish one otherwise; a language switch picks again.
void SetLocalText(QObject* control, const QString& english, const QString& turkish, const QStringList& args = {});
// The control shows values (numbers, names, received text): the walk leaves its text alone.
void MarkAsValue(QObject* control);
void MarkAsValue(QTableWidgetItem* headerItem);
bool IsMarkedAsValue(const QObject* control);
bool IsMarkedAsValue(const QTableWidgetItem* headerItem);
// The items of this combo box are words shown to the user (never read back as stored values):
// the walk translates them too.
void TranslateItemsOf(QComboBox* box);

} // namespace vsx
