#include "tools/SvpFiles.h"

#include "app/Settings.h"
#include "platform/AtomicFile.h"
#include "platform/Text.h"

#include <QStringDecoder>
#include <QUtf8StringView>

namespace vsx {

const char* SvpTableName(SvpTable table)
{
    switch (table) {
    case SvpTable::RawData: return "mRawSVData";
    case SvpTable::Extracted: return "mRawSVExtracted";
    case SvpTable::Averaged: return "mSortedAveragedSV";
    case SvpTable::Column: return "mSVPColumn";
    }
    return "";
}

std::string SvpDayCopyName(const std::string& svpFolder, const std::string& date, SvpTable table)
{
    return svpFolder + date + " " + SvpTableName(table) + ".ini";
}

std::string SvpStandingCopyName(const std::string& folder, SvpTable table)
{
    return folder + SvpTableName(table) + ".ini";
}

std::string SvpStandingFolder()
{
    const std::string ini = GetIniFileName();
    return ini.substr(0, ini.rfind('/') + 1);
}

QStringList DecodeTextLines(std::string_view bytes)
{
    QString text;
    auto decodeWith = [&](QStringConverter::Encoding encoding, size_t markSize) {
        QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
        text = decoder.decode(QByteArrayView(bytes.data() + markSize, qsizetype(bytes.size() - markSize)));
    };
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") decodeWith(QStringConverter::Utf8, 3);
    else if (bytes.substr(0, 2) == "\xFF\xFE") decodeWith(QStringConverter::Utf16LE, 2);
    else if (bytes.substr(0, 2) == "\xFE\xFF") decodeWith(QStringConverter::Utf16BE, 2);
    else if (QUtf8StringView(bytes.data(), qsizetype(bytes.size())).isValidUtf8())
        text = QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    else text = fromCp1254(bytes);

    QStringList lines;
    if (text.isEmpty()) return lines;
    lines = text.split(QLatin1Char('\n'));
    if (text.endsWith(QLatin1Char('\n'))) lines.removeLast();
    for (QString& l : lines)
        if (l.endsWith(QLatin1Char('\r'))) l.chop(1);
    return lines;
}

std::string EncodeTextLines(const QStringList& lines)
{
    QString text;
    for (const QString& l : lines) text += l + QStringLiteral("\r\n");
    const std::string narrow = toCp1254(text);
    if (fromCp1254(narrow) == text) return narrow;
    return "\xEF\xBB\xBF" + text.toStdString();
}

std::optional<QStringList> ReadSvpTableFile(const std::string& path)
{
    std::string bytes;
    if (!readFile(path, bytes)) {
        const std::string lower = ".ini";
        if (path.size() < lower.size() || path.compare(path.size() - lower.size(), lower.size(), lower) != 0)
            return std::nullopt;
        if (!readFile(path.substr(0, path.size() - lower.size()) + ".INI", bytes)) return std::nullopt;
    }
    return DecodeTextLines(bytes);
}

bool WriteSvpTableFile(const std::string& path, const QStringList& lines, std::string* error)
{
    return writeFileAtomically(path, EncodeTextLines(lines), error);
}

} // namespace vsx
