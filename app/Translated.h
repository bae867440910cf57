#pragma once
// Texts shown to the user in the current language: an English text (the key) goes through the
// process-wide translation manager at the moment it is shown. Without a manager the English text
// is shown. "%1", "%2" ... in a key are filled after translation, so a composed message is one key.
#include <QString>
#include <QStringList>
#include <initializer_list>
#include <string>

namespace vsx {

QString translated(const char* english);
QString translated(const QString& english);
QString translated(const std::string& english);
// The key translated, then "%1", "%2" ... replaced by args in order.
QString translatedArgs(const QString& english, const QStringList& args);
// "%1" to "%9" of a text replaced by args, in one pass (an argument holding "%2" stays as it is).
QString fillArgs(const QString& text, const QStringList& args);
// A finished English message made elsewhere (by a library that does not translate), shown in the
// current language: the message itself when it is a key, else the first of `templates` ("%1" ...
// standing for any text) it was made from, translated with the values read back from it; else the
// message as it is.
QString translatedMessage(const QString& message, std::initializer_list<const char*> templates);
// True while the interface shows English (or there is no translation manager).
bool EnglishInterface();

} // namespace vsx
