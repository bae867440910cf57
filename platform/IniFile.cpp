#include "platform/IniFile.h"

#include "platform/AtomicFile.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"
#include "platform/Text.h"

#include <cstdio>

namespace vsx {

std::string iniValueOf(std::string_view rawLine)
{
    size_t eq = rawLine.find('=');
    if (eq == std::string_view::npos) return {};
    std::string_view v = trimView(rawLine.substr(eq + 1));
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
    return std::string(v);
}

namespace {

bool isTextLine(std::string_view line)
{
    for (char ch : line) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c < 0x20 && c != '\t') || c == 0x7F) return false;
    }
    return true;
}

// A section, an entry, a comment or a blank line, as the parser below reads them.
bool isIniLine(std::string_view line)
{
    const std::string_view t = trimView(line);
    if (t.empty() || t.front() == ';' || t.front() == '#') return true;
    if (t.front() == '[') return t.size() >= 2 && t.find(']') != std::string_view::npos;
    const size_t eq = t.find('=');
    return eq != std::string_view::npos && !trimView(t.substr(0, eq)).empty();
}

} // namespace

IniTextCheck checkIniText(std::string_view bytes)
{
    IniTextCheck check;
    auto fault = [&check](IniDamage d, int line) {
        if (check.damage == IniDamage::None) {
            check.damage = d;
            check.line = line;
        }
    };
    size_t pos = 0;
    int number = 0;
    while (pos < bytes.size()) {
        ++number;
        const size_t nl = bytes.find('\n', pos);
        if (nl == std::string_view::npos) {
            // Every writer ends its lines: this one was cut off, and what it holds may be cut too.
            fault(IniDamage::CutOff, number);
            break;
        }
        std::string_view line = bytes.substr(pos, nl - pos);
        pos = nl + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!isTextLine(line)) {
            fault(IniDamage::NotText, number);
            continue;
        }
        if (!isIniLine(line)) {
            fault(IniDamage::NotIniLine, number);
            continue;
        }
        check.readable.append(line).append("\r\n");
    }
    return check;
}

std::optional<DamagedIniFile> keepDamagedIniFile(const std::string& path, const std::string& stamp)
{
    std::string bytes;
    if (!readFile(path, bytes)) return std::nullopt;
    DamagedIniFile kept;
    kept.check = checkIniText(bytes);
    if (kept.check.whole()) return std::nullopt;

    std::string copy = path + ".damaged-" + stamp;
    for (int n = 2; fileExists(copy) && n < 1000; ++n) copy = path + ".damaged-" + stamp + "-" + std::to_string(n);
    std::string error;
    if (fileExists(copy) || !writeFileAtomically(copy, bytes, &error)) {
        kept.error = error.empty() ? "no free name for the copy" : error;
        return kept;
    }
    kept.copyPath = copy;
    if (!writeFileAtomically(path, kept.check.readable, &error)) kept.error = error;
    return kept;
}

IniFile::IniFile(std::string path) : path_(std::move(path))
{
    std::string bytes;
    if (readFile(path_, bytes)) doc_ = parse(bytes);
}

IniFile::~IniFile() { flush(); }

IniFile::Document IniFile::parse(std::string_view bytes)
{
    Document doc;
    std::vector<Line>* target = &doc.preamble;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t nl = bytes.find('\n', pos);
        std::string_view line = bytes.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
        pos = nl == std::string_view::npos ? bytes.size() : nl + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        std::string_view t = trimView(line);
        if (t.size() >= 2 && t.front() == '[' && t.find(']') != std::string_view::npos) {
            Section s;
            s.header = std::string(line);
            s.name = trim(t.substr(1, t.find(']') - 1));
            doc.sections.push_back(std::move(s));
            target = &doc.sections.back().lines;
            continue;
        }
        Line l;
        l.raw = std::string(line);
        size_t eq = line.find('=');
        if (eq != std::string_view::npos && !t.empty() && t.front() != ';' && t.front() != '#') {
            l.isEntry = true;
            l.key = trim(line.substr(0, eq));
        }
        target->push_back(std::move(l));
    }
    return doc;
}

std::string IniFile::serialize(const Document& doc)
{
    std::string out;
    for (const Line& l : doc.preamble) out += l.raw + "\r\n";
    for (const Section& s : doc.sections) {
        out += s.header + "\r\n";
        for (const Line& l : s.lines) out += l.raw + "\r\n";
    }
    return out;
}

const IniFile::Section* IniFile::findSection(const Document& doc, std::string_view name)
{
    std::string_view n = trimView(name);
    for (const Section& s : doc.sections)
        if (equalsIgnoreCaseAscii(s.name, n)) return &s;
    return nullptr;
}

void IniFile::apply(Document& doc, const Op& op)
{
    std::string_view secName = trimView(op.section);
    Section* sec = const_cast<Section*>(findSection(doc, secName));
    if (op.kind == OpKind::EraseSection) {
        for (auto it = doc.sections.begin(); it != doc.sections.end();) {
            if (equalsIgnoreCaseAscii(it->name, secName)) it = doc.sections.erase(it);
            else ++it;
        }
        return;
    }
    std::string_view key = trimView(op.key);
    if (op.kind == OpKind::DeleteKey) {
        if (!sec) return;
        for (auto it = sec->lines.begin(); it != sec->lines.end(); ++it) {
            if (it->isEntry && equalsIgnoreCaseAscii(it->key, key)) {
                sec->lines.erase(it);
                return;
            }
        }
        return;
    }
    if (!sec) {
        Section s;
        s.name = std::string(secName);
        s.header = "[" + s.name + "]";
        doc.sections.push_back(std::move(s));
        sec = &doc.sections.back();
    }
    Line line;
    line.raw = op.key + "=" + op.value;
    line.key = std::string(key);
    line.isEntry = true;
    for (Line& l : sec->lines) {
        if (l.isEntry && equalsIgnoreCaseAscii(l.key, key)) {
            l = std::move(line);
            return;
        }
    }
    // New keys go after the section's last entry, before any blank lines that separate sections.
    size_t at = sec->lines.size();
    while (at > 0 && trimView(sec->lines[at - 1].raw).empty()) --at;
    sec->lines.insert(sec->lines.begin() + long(at), std::move(line));
}

void IniFile::record(Op op)
{
    apply(doc_, op);
    pending_.push_back(std::move(op));
}

bool IniFile::flush()
{
    if (pending_.empty()) return true;
    std::string bytes;
    Document fresh;
    if (readFile(path_, bytes)) fresh = parse(bytes);
    for (const Op& op : pending_) apply(fresh, op);
    pending_.clear();
    doc_ = std::move(fresh);
    std::string error;
    if (!writeFileAtomically(path_, serialize(doc_), &error)) {
        // A settings file that cannot be written is not the caller's concern, but say so once.
        static bool warned = false;
        if (!warned) {
            std::fprintf(stderr, "settings file not written: %s\n", error.c_str());
            warned = true;
        }
        return false;
    }
    return true;
}

const IniFile::Line* IniFile::findEntry(std::string_view section, std::string_view key) const
{
    const Section* sec = findSection(doc_, section);
    if (!sec) return nullptr;
    std::string_view k = trimView(key);
    for (const Line& l : sec->lines)
        if (l.isEntry && equalsIgnoreCaseAscii(l.key, k)) return &l;
    return nullptr;
}

std::string IniFile::readString(std::string_view section, std::string_view key, std::string_view fallback) const
{
    const Line* l = findEntry(section, key);
    return l ? iniValueOf(l->raw) : std::string(fallback);
}

int IniFile::readInteger(std::string_view section, std::string_view key, int fallback) const
{
    const Line* l = findEntry(section, key);
    return l ? strToIntDef(iniValueOf(l->raw), fallback) : fallback;
}

bool IniFile::readBool(std::string_view section, std::string_view key, bool fallback) const
{
    const Line* l = findEntry(section, key);
    if (!l) return fallback;
    auto v = parseInteger(iniValueOf(l->raw));
    return v ? *v != 0 : fallback;
}

double IniFile::readFloat(std::string_view section, std::string_view key, double fallback) const
{
    const Line* l = findEntry(section, key);
    return l ? strToFloatDef(iniValueOf(l->raw), fallback) : fallback;
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value)
{
    record({OpKind::Set, std::string(section), std::string(key), std::string(value)});
}

void IniFile::writeInteger(std::string_view section, std::string_view key, long long value)
{
    writeString(section, key, formatInt(value));
}

void IniFile::writeBool(std::string_view section, std::string_view key, bool value)
{
    writeString(section, key, value ? "1" : "0");
}

void IniFile::writeFloat(std::string_view section, std::string_view key, double value)
{
    writeString(section, key, formatGeneral(value));
}

bool IniFile::sectionExists(std::string_view section) const { return findSection(doc_, section) != nullptr; }

bool IniFile::valueExists(std::string_view section, std::string_view key) const
{
    return findEntry(section, key) != nullptr;
}

std::vector<std::string> IniFile::readSection(std::string_view section) const
{
    std::vector<std::string> keys;
    if (const Section* sec = findSection(doc_, section))
        for (const Line& l : sec->lines)
            if (l.isEntry) keys.push_back(l.key);
    return keys;
}

std::vector<std::string> IniFile::readSections() const
{
    std::vector<std::string> names;
    for (const Section& s : doc_.sections) names.push_back(s.name);
    return names;
}

void IniFile::eraseSection(std::string_view section) { record({OpKind::EraseSection, std::string(section), {}, {}}); }

void IniFile::deleteKey(std::string_view section, std::string_view key)
{
    record({OpKind::DeleteKey, std::string(section), std::string(key), {}});
}

std::string IniFile::text() const { return serialize(doc_); }

} // namespace vsx
