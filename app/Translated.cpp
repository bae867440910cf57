#include "app/Translated.h"

#include "app/TranslationManager.h"

#include <QRegularExpression>
#include <algorithm>
#include <vector>

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

QString translatedMessage(const QString& message, std::initializer_list<const char*> templates)
{
    if (!Translator) return message;
    for (const char* t : templates) {
        const QString form = QString::fromUtf8(t);
        if (!form.contains('%')) {
            if (form == message) return translated(form);
            continue;
        }
        // The template's words must stand as they are; each "%n" takes any text.
        QString pattern;
        std::vector<int> order;  // the number of each placeholder, in the order they stand
        for (qsizetype i = 0; i < form.size(); ++i) {
            const int n = form[i] == '%' && i + 1 < form.size() ? form[i + 1].digitValue() : -1;
            if (n >= 1) {
                pattern += QStringLiteral("(.*)");
                order.push_back(n);
                ++i;
            } else {
                pattern += QRegularExpression::escape(QString(form[i]));
            }
        }
        const QRegularExpressionMatch m = QRegularExpression(QRegularExpression::anchoredPattern(pattern)).match(message);
        if (!m.hasMatch()) continue;
        QStringList args(*std::max_element(order.begin(), order.end()));
        for (std::size_t k = 0; k < order.size(); ++k) args[order[k] - 1] = m.captured(int(k) + 1);
        return translatedArgs(form, args);
    }
    return message;
}

bool EnglishInterface() { return !Translator || Translator->current() == "en"; }

} // namespace vsx
