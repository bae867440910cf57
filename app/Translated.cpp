#include "app/Translated.h"

#include "app/TranslationManager.h"

namespace vsx {

QString translated(const std::string& english)
{
    if (!Translator) return QString::fromStdString(english);
    return QString::fromStdString(Translator->Translate(english));
}

QString translated(const char* english) { return translated(std::string(english)); }

QString translated(const QString& english) { return translated(english.toStdString()); }

QString translatedArgs(const QString& english, const QStringList& args) { return fillArgs(translated(english), args); }

QString fillArgs(const QString& text, const QStringList& args)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int n = text[i] == '%' && i + 1 < text.size() ? text[i + 1].digitValue() : -1;
        if (n >= 1 && n <= args.size()) {
            out += args[n - 1];
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

bool EnglishInterface() { return !Translator || Translator->current() == "en"; }

} // namespace vsx
