#pragma once
// Texts shown to the user in the current language: an English text (the key) goes through the
// process-wide translation manager at the moment it is shown. Without a manager the English text
// is shown. "%1", "%2" ... in a key are filled after translation, so a composed message is one key.
#include <QString>
#include <QStringList>
#include <string>

namespace vsx {

QString translated(const char* english);
QString translated(const QString& english);
QString translated(const std::string& english);
// The key translated, then "%1", "%2" ... replaced by args in order.
QString translatedArgs(const QString& english, const QStringList& args);
// "%1" to "%9" of a text replaced by args, in one pass (an argument holding "%2" stays as it is).
QString fillArgs(const QString& text, const QStringList& args);
// True while the interface shows English (or there is no translation manager).
bool EnglishInterface();

} // namespace vsx
