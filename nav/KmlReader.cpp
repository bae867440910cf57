#include "nav/KmlReader.h"

#include "app/Translated.h"
#include "nav/KmlText.h"
#include "platform/AtomicFile.h"
#include "platform/Text.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>

namespace vsx {

namespace {

constexpr std::size_t npos = std::string_view::npos;

bool startsAt(std::string_view s, std::size_t i, std::string_view what) { return s.substr(i, what.size()) == what; }

bool isSpace(char c) { return static_cast<unsigned char>(c) <= ' '; }

// The local part of a qualified name ("kml:Placemark" -> "Placemark").
std::string_view localName(std::string_view qname)
{
    const std::size_t colon = qname.rfind(':');
    return colon == npos ? qname : qname.substr(colon + 1);
}

std::size_t skipPast(std::string_view s, std::size_t from, std::string_view end)
{
    const std::size_t at = s.find(end, from);
    return at == npos ? npos : at + end.size();
}

// The '>' that ends a tag starting at i, with quoted attribute values stepped over.
std::size_t tagEnd(std::string_view s, std::size_t i)
{
    char quote = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i;
        }
    }
    return npos;
}

// A DOCTYPE or other declaration at i: stepped over unread, internal subset included.
std::size_t skipDeclaration(std::string_view s, std::size_t i)
{
    int depth = 0;
    char quote = 0;
    for (i += 2; i < s.size(); ++i) {
        const char c = s[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '[') {
            ++depth;
        } else if (c == ']') {
            if (depth > 0) --depth;
        } else if (c == '>' && depth == 0) {
            return i + 1;
        }
    }
    return npos;
}

struct ElementEnd {
    std::size_t contentEnd = npos;  // where the closing tag starts
    std::size_t after = npos;       // just past it
};

// The closing tag of `name` (any prefix) from `from` on, with CDATA sections and comments
// stepped over, so their text cannot end the element.
ElementEnd findClosingTag(std::string_view s, std::size_t from, std::string_view name)
{
    std::size_t i = from;
    while (i < s.size()) {
        const void* lt = std::memchr(s.data() + i, '<', s.size() - i);
        if (!lt) break;
        i = std::size_t(static_cast<const char*>(lt) - s.data());
        if (startsAt(s, i, "<![CDATA[")) {
            i = skipPast(s, i + 9, "]]>");
        } else if (startsAt(s, i, "<!--")) {
            i = skipPast(s, i + 4, "-->");
        } else if (i + 1 < s.size() && s[i + 1] == '/') {
            std::size_t j = i + 2;
            while (j < s.size() && s[j] != '>' && !isSpace(s[j])) ++j;
            if (localName(s.substr(i + 2, j - i - 2)) == name) {
                const std::size_t gt = s.find('>', j);
                if (gt == npos) break;
                return {i, gt + 1};
            }
            i = j;
        } else {
            ++i;
        }
        if (i == npos) break;
    }
    return {};
}

bool parseNumber(std::string_view t, double& v)
{
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    if (t.empty()) return false;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    return ec == std::errc() && end == t.data() + t.size() && std::isfinite(v);
}

void parseTuple(std::string_view token, std::vector<KmlCoordinate>& out)
{
    const std::size_t c1 = token.find(',');
    if (c1 == npos) return;
    const std::string_view lonText = token.substr(0, c1);
    std::string_view rest = token.substr(c1 + 1);
    std::string_view latText = rest, altText;
    if (const std::size_t c2 = rest.find(','); c2 != npos) {
        latText = rest.substr(0, c2);
        altText = rest.substr(c2 + 1);
    }
    KmlCoordinate c;
    if (!parseNumber(lonText, c.Longitude) || !parseNumber(latText, c.Latitude)) return;
    if (std::fabs(c.Latitude) > 90 || std::fabs(c.Longitude) > 180) return;
    if (c.Longitude == 0 && c.Latitude == 0) return;
    if (!parseNumber(altText, c.Altitude)) c.Altitude = 0;
    out.push_back(c);
}

// One pass over a document in UTF-8.
class Scanner {
public:
    Scanner(std::string_view text, std::vector<KmlPlacemark>& out, std::vector<std::string>& links,
            KmlSkippedContent& skipped)
        : s_(text), out_(out), links_(links), skipped_(skipped)
    {
    }

    void run()
    {
        std::size_t i = 0;
        while (i < s_.size()) {
            const void* lt = std::memchr(s_.data() + i, '<', s_.size() - i);
            if (!lt) return;
            i = std::size_t(static_cast<const char*>(lt) - s_.data());
            if (startsAt(s_, i, "<!--")) i = skipPast(s_, i + 4, "-->");
            else if (startsAt(s_, i, "<![CDATA[")) i = skipPast(s_, i + 9, "]]>");
            else if (startsAt(s_, i, "<!")) i = skipDeclaration(s_, i);
            else if (startsAt(s_, i, "<?")) i = skipPast(s_, i + 2, "?>");
            else i = tag(i);
            if (i == npos) return;
        }
    }

private:
    // The tag at i; returns where scanning goes on.
    std::size_t tag(std::size_t i)
    {
        const bool closing = i + 1 < s_.size() && s_[i + 1] == '/';
        const std::size_t nameStart = i + (closing ? 2 : 1);
        std::size_t j = nameStart;
        while (j < s_.size() && s_[j] != '>' && s_[j] != '/' && !isSpace(s_[j])) ++j;
        const std::string_view name = localName(s_.substr(nameStart, j - nameStart));
        const std::size_t gt = tagEnd(s_, j);
        if (gt == npos) return npos;
        const bool empty = !closing && s_[gt - 1] == '/';
        const std::size_t after = gt + 1;
        if (closing) {
            closeElement(name);
            return after;
        }
        countSkipped(name);
        if (empty) return after;
        return openElement(name, after);
    }

    void countSkipped(std::string_view name)
    {
        if (name == "Track") ++skipped_.tracks;
        else if (name == "GroundOverlay" || name == "ScreenOverlay" || name == "PhotoOverlay") ++skipped_.overlays;
        else if (name == "NetworkLink") ++skipped_.networkLinks;
    }

    std::size_t openElement(std::string_view name, std::size_t after)
    {
        if (name == "Placemark") {
            if (!inPlacemark_) {
                inPlacemark_ = true;
                current_ = KmlPlacemark{};
                haveName_ = haveDescription_ = false;
                for (auto& list : byKind_) list.clear();
                kind_ = -1;
            }
            return after;
        }
        if (name == "NetworkLink") {
            inLink_ = true;
            return after;
        }
        if (!inPlacemark_) {
            if (inLink_ && name == "href") {
                const ElementEnd end = findClosingTag(s_, after, name);
                if (end.after == npos) return after;
                links_.push_back(trim(DecodeXmlCharacterData(s_.substr(after, end.contentEnd - after))));
                return end.after;
            }
            return after;
        }
        if ((name == "name" && !haveName_) || (name == "description" && !haveDescription_)) {
            const ElementEnd end = findClosingTag(s_, after, name);
            if (end.after == npos) return after;
            std::string text = trim(DecodeXmlCharacterData(s_.substr(after, end.contentEnd - after)));
            if (name == "name") {
                current_.Name = std::move(text);
                haveName_ = true;
            } else {
                current_.Description = std::move(text);
                haveDescription_ = true;
            }
            return end.after;
        }
        if (kind_ < 0) {
            if (name == "Point") kind_ = KmlPoint;
            else if (name == "LineString") kind_ = KmlLineString;
            else if (name == "Polygon") kind_ = KmlPolygon;
            if (kind_ >= 0) {
                pending_.clear();
                coordinatesTaken_ = false;
            }
            return after;
        }
        if (kind_ == KmlPolygon && name == "innerBoundaryIs") {
            inInnerBoundary_ = true;
            return after;
        }
        if (inInnerBoundary_) {
            // A hole of the polygon: the import draws the outer boundary only.
            if (name == "LinearRing") ++skipped_.innerRings;
            return after;
        }
        if (name == "coordinates" && !coordinatesTaken_) {
            const ElementEnd end = findClosingTag(s_, after, name);
            if (end.after == npos) return after;
            coordinatesTaken_ = true;
            const std::string_view raw = s_.substr(after, end.contentEnd - after);
            if (raw.find_first_of("<&") == npos) ParseKmlCoordinates(raw, pending_);
            else ParseKmlCoordinates(DecodeXmlCharacterData(raw), pending_);
            return end.after;
        }
        return after;
    }

    void closeElement(std::string_view name)
    {
        if (name == "NetworkLink") inLink_ = false;
        if (!inPlacemark_) return;
        if (name == "Placemark") {
            for (auto& list : byKind_)
                for (auto& g : list) current_.Geometries.push_back(std::move(g));
            if (!current_.Geometries.empty()) out_.push_back(std::move(current_));
            inPlacemark_ = false;
            inInnerBoundary_ = false;
            kind_ = -1;
            return;
        }
        if (name == "innerBoundaryIs") inInnerBoundary_ = false;
        if (kind_ >= 0 && name == kindName(kind_)) {
            inInnerBoundary_ = false;
            if (!pending_.empty()) byKind_[kind_].push_back(KmlGeometry{kind_, std::move(pending_)});
            pending_ = {};
            kind_ = -1;
        }
    }

    static std::string_view kindName(int kind)
    {
        return kind == KmlPoint ? "Point" : kind == KmlLineString ? "LineString" : "Polygon";
    }

    std::string_view s_;
    std::vector<KmlPlacemark>& out_;
    std::vector<std::string>& links_;
    KmlSkippedContent& skipped_;
    bool inLink_ = false;
    bool inPlacemark_ = false;
    bool haveName_ = false, haveDescription_ = false;
    KmlPlacemark current_;
    std::vector<KmlGeometry> byKind_[3];
    int kind_ = -1;
    bool coordinatesTaken_ = false;
    bool inInnerBoundary_ = false;
    std::vector<KmlCoordinate> pending_;
};

bool isKmzPath(const std::string& path)
{
    return path.size() >= 4 && equalsIgnoreCaseAscii(std::string_view(path).substr(path.size() - 4), ".kmz");
}

QString say(bool translate, const char* english, const QStringList& args = {})
{
    return translate ? translatedArgs(QString::fromUtf8(english), args) : fillArgs(QString::fromUtf8(english), args);
}

// "2 tracks, 3 inner polygon rings, 1 overlay, 1 network link", in English or in the interface's
// language.
QString leftOutList(const KmlSkippedContent& s, bool translate)
{
    QStringList what;
    auto count = [&](int n, const char* one, const char* many) {
        if (n == 1) what << say(translate, one);
        else if (n > 1) what << say(translate, many, {QString::number(n)});
    };
    count(s.tracks, "1 track", "%1 tracks");
    count(s.innerRings, "1 inner polygon ring", "%1 inner polygon rings");
    count(s.overlays, "1 overlay", "%1 overlays");
    count(s.networkLinks, "1 network link", "%1 network links");
    return what.join(QStringLiteral(", "));
}

// The reason of a document with nothing to import, in English or in the interface's language.
QString nothingToImport(const KmlSkippedContent& s, bool translate)
{
    const QString what = leftOutList(s, translate);
    if (what.isEmpty()) return say(translate, "The file holds no placemark with a point, line or polygon");
    return say(translate, "The file holds no placemark with a point, line or polygon (skipped: %1)", {what});
}

} // namespace

std::string KmlNothingToImportReason(const KmlSkippedContent& skipped)
{
    return nothingToImport(skipped, false).toStdString();
}

std::string KmlLeftOutList(const KmlSkippedContent& skipped) { return leftOutList(skipped, false).toStdString(); }

QString KmlShownLeftOutList(const KmlSkippedContent& skipped) { return leftOutList(skipped, true); }

QString KmlReader::ShownError() const
{
    if (nothingToImport_) return nothingToImport(Skipped, true);
    return translatedMessage(QString::fromStdString(LastError),
                             {"Empty KML content", "File not found: %1", "The KML file is larger than %1 MB",
                              "Failed to read KML file: %1", kKmlNotXml});
}

void ParseKmlCoordinates(std::string_view text, std::vector<KmlCoordinate>& out)
{
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        while (i < n && isSpace(text[i])) ++i;
        std::size_t j = i;
        while (j < n && !isSpace(text[j])) ++j;
        if (j > i) parseTuple(text.substr(i, j - i), out);
        i = j;
    }
}

bool KmlReader::LoadFromFile(const std::string& path)
{
    clear();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        LastError = "File not found: " + path;
        return false;
    }
    if (isKmzPath(path)) return loadArchive(KmzArchive::openFile(path));
    const auto size = std::filesystem::file_size(path, ec);
    if (!ec && size > KmlSizeCap) {
        LastError = "The KML file is larger than " + std::to_string(KmlSizeCap >> 20) + " MB";
        return false;
    }
    std::string bytes;
    if (!readFile(path, bytes)) {
        LastError = "Failed to read KML file: " + path;
        return false;
    }
    return LoadFromBytes(bytes, false);
}

bool KmlReader::LoadFromBytes(std::string_view bytes, bool kmz)
{
    clear();
    if (kmz) return loadArchive(KmzArchive::openBytes(bytes));
    if (!Parse(bytes)) return false;
    return finish();
}

bool KmlReader::loadArchive(KmzArchive archive)
{
    KmzReadResult main = archive.readMainDocument(KmlSizeCap);
    if (!main.ok) {
        LastError = main.error;
        return false;
    }
    std::size_t budget = KmlSizeCap - main.kml.size();
    std::string converted;
    std::optional<std::string_view> text = KmlTextAsUtf8(main.kml, converted, LastError);
    if (!text) return false;
    if (trimView(*text).empty()) {
        LastError = "Empty KML content";
        return false;
    }
    std::vector<std::string> links;
    if (!isXmlText(*text)) return false;
    Scanner(*text, Placemarks, links, Skipped).run();
    // Linked documents of the same archive, by a name relative to the main document (which
    // lies at the top level): one level deep, all within the one size cap.
    for (const std::string& link : links) {
        if (link.find(':') != std::string::npos || link.find('?') != std::string::npos) continue;  // not an entry
        std::string_view name = link;
        while (name.substr(0, 2) == "./") name.remove_prefix(2);
        KmzReadResult linked = archive.readEntry(name, budget);
        if (!linked.ok) continue;
        budget -= linked.kml.size();
        std::string linkedConverted, ignored;
        text = KmlTextAsUtf8(linked.kml, linkedConverted, ignored);
        std::vector<std::string> nested;
        if (!text) continue;
        Scanner(*text, Placemarks, nested, Skipped).run();
        // The link was followed: what it links to is read, not left out.
        if (Skipped.networkLinks > 0) --Skipped.networkLinks;
    }
    NetworkLinks = std::move(links);
    if (Placemarks.empty()) {
        nothingToImport_ = true;
        LastError = KmlNothingToImportReason(Skipped);
    }
    return finish();
}

bool KmlReader::finish()
{
    if (Placemarks.empty()) return false;
    Reproject();
    return true;
}

void KmlReader::clear()
{
    Placemarks.clear();
    NetworkLinks.clear();
    LastError.clear();
    Skipped = {};
    nothingToImport_ = false;
}

// Markup starts with '<' after any blanks and holds no NUL character; a binary file renamed
// ".kml" does neither.
bool KmlReader::isXmlText(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first != std::string_view::npos && text[first] == '<' && text.find('\0') == std::string_view::npos) return true;
    LastError = kKmlNotXml;
    return false;
}

bool KmlReader::Parse(std::string_view bytes)
{
    clear();
    std::string converted;
    const std::optional<std::string_view> text = KmlTextAsUtf8(bytes, converted, LastError);
    if (!text) return false;
    return parseUtf8(*text);
}

bool KmlReader::parseUtf8(std::string_view text)
{
    if (trimView(text).empty()) {
        LastError = "Empty KML content";
        return false;
    }
    if (!isXmlText(text)) return false;
    Scanner(text, Placemarks, NetworkLinks, Skipped).run();
    if (Placemarks.empty()) {
        nothingToImport_ = true;
        LastError = KmlNothingToImportReason(Skipped);
        return false;
    }
    return true;
}

std::vector<KmlCoordinate> KmlReader::GetPoints() const
{
    std::vector<KmlCoordinate> out;
    for (const KmlPlacemark& p : Placemarks)
        for (const KmlGeometry& g : p.Geometries)
            if (g.Kind == KmlPoint) out.insert(out.end(), g.Coordinates.begin(), g.Coordinates.end());
    return out;
}

std::vector<std::vector<KmlCoordinate>> KmlReader::GetLines() const
{
    std::vector<std::vector<KmlCoordinate>> out;
    for (const KmlPlacemark& p : Placemarks)
        for (const KmlGeometry& g : p.Geometries)
            if (g.Kind != KmlPoint && g.Coordinates.size() >= 2) out.push_back(g.Coordinates);
    return out;
}

std::vector<GridXY> KmlReader::GetProjectedPoints() const
{
    std::vector<GridXY> out;
    for (const KmlPlacemark& p : Placemarks)
        for (const KmlGeometry& g : p.Geometries)
            if (g.Kind == KmlPoint)
                for (const KmlCoordinate& c : g.Coordinates)
                    if (c.X != 0 || c.Y != 0) out.push_back({c.X, c.Y});
    return out;
}

std::vector<std::vector<GridXY>> KmlReader::GetProjectedLines() const
{
    std::vector<std::vector<GridXY>> out;
    for (const KmlPlacemark& p : Placemarks)
        for (const KmlGeometry& g : p.Geometries) {
            if (g.Kind == KmlPoint || g.Coordinates.size() < 2) continue;
            std::vector<GridXY> line;
            line.reserve(g.Coordinates.size());
            for (const KmlCoordinate& c : g.Coordinates)
                if (c.X != 0 || c.Y != 0) line.push_back({c.X, c.Y});
            if (line.size() >= 2) out.push_back(std::move(line));
        }
    return out;
}

void KmlReader::Reproject()
{
    failedProjections_ = 0;
    if (!ProjectionCallback) return;
    for (KmlPlacemark& p : Placemarks)
        for (KmlGeometry& g : p.Geometries)
            for (KmlCoordinate& c : g.Coordinates) {
                double x = 0, y = 0;
                if (ProjectionCallback(c.Latitude, c.Longitude, x, y) && std::isfinite(x) && std::isfinite(y)) {
                    c.X = x;
                    c.Y = y;
                } else {
                    c.X = c.Y = 0;
                    ++failedProjections_;
                }
            }
}

} // namespace vsx
