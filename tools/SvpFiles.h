#pragma once
// The sound-velocity window's four tables as text files.
//  - Day copies in the day's SVP folder: "<YYYY-MM-DD> mRawSVData.ini" and so on. The main
//    window's auto-save writes the same files, so both take their names from SvpDayCopyName; a
//    copy an older installation wrote with ".INI" is still read.
//  - Standing copies, loaded at start when no day copy exists: "mRawSVData.ini" and so on in the
//    settings folder (the folder of the program file is not writable for the user here).
//  - Text: every line ends in CR LF. A table is written as Windows-1254 when every character
//    fits, else as UTF-8 with a byte-order mark, so nothing typed is lost; it is read by its
//    byte-order mark, else as UTF-8 when the bytes are valid UTF-8, else as Windows-1254.
#include <QStringList>

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace vsx {

// The tables in pipeline order: probe file, extracted pairs, per-metre means, SV column.
enum class SvpTable { RawData, Extracted, Averaged, Column };
inline constexpr std::array<SvpTable, 4> kSvpTables{SvpTable::RawData, SvpTable::Extracted, SvpTable::Averaged,
                                                    SvpTable::Column};

// "mRawSVData", "mRawSVExtracted", "mSortedAveragedSV", "mSVPColumn".
const char* SvpTableName(SvpTable table);
// svpFolder + date + " " + name + ".ini"
std::string SvpDayCopyName(const std::string& svpFolder, const std::string& date, SvpTable table);
// folder + name + ".ini"
std::string SvpStandingCopyName(const std::string& folder, SvpTable table);
// The folder of the settings file, ending in '/'.
std::string SvpStandingFolder();

// File bytes to lines: the byte-order mark or the guess above picks the encoding; LF and CR LF
// both end a line; a line break at the end does not start another line.
QStringList DecodeTextLines(std::string_view bytes);
// Lines to file bytes, each line ended by CR LF.
std::string EncodeTextLines(const QStringList& lines);

// No value when the file cannot be read. A name ending in ".ini" that does not exist is tried
// once more with ".INI".
std::optional<QStringList> ReadSvpTableFile(const std::string& path);
// Replaces the file as a whole (a power cut leaves the old or the new file); false with a reason
// when it cannot be written.
bool WriteSvpTableFile(const std::string& path, const QStringList& lines, std::string* error = nullptr);

} // namespace vsx
