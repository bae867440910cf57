#include "input/NtripReply.h"

#include "platform/Text.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace vsx {
namespace {

enum class StatusForm { Unknown, Icy, Http, SourceTable };

struct StatusLine {
    StatusForm form = StatusForm::Unknown;
    int code = -1;
};

// "ICY 200 OK", "HTTP/1.1 401 Unauthorized", "SOURCETABLE 200 OK".
StatusLine parseStatusLine(std::string_view line)
{
    StatusLine s;
    std::size_t pos = 0;
    if (line.starts_with("ICY ")) {
        s.form = StatusForm::Icy;
        pos = 4;
    } else if (line.starts_with("SOURCETABLE ")) {
        s.form = StatusForm::SourceTable;
        pos = 12;
    } else if (line.size() >= 9 && line.starts_with("HTTP/1.") && std::isdigit(static_cast<unsigned char>(line[7]))
               && line[8] == ' ') {
        s.form = StatusForm::Http;
        pos = 9;
    } else {
        return s;
    }
    while (pos < line.size() && line[pos] == ' ') ++pos;
    int code = 0, digits = 0;
    while (pos < line.size() && digits < 3 && std::isdigit(static_cast<unsigned char>(line[pos]))) {
        code = code * 10 + (line[pos] - '0');
        ++pos;
        ++digits;
    }
    const bool ends = pos == line.size() || line[pos] == ' ';
    if (digits == 3 && ends) s.code = code;
    else s.form = StatusForm::Unknown;
    return s;
}

// Reply lines end in CR LF or in a bare LF: HTTP allows both and real casters send both.

// The line from `from` up to its LF, without the line end; nullopt while the LF has not come.
std::optional<std::string_view> lineAt(std::string_view text, std::size_t from, std::size_t& next)
{
    const std::size_t lf = text.find('\n', from);
    if (lf == std::string_view::npos) return std::nullopt;
    std::string_view line = text.substr(from, lf - from);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    next = lf + 1;
    return line;
}

// Where the body starts: right after the empty line that ends the header; npos while that line
// has not arrived.
std::size_t bodyStartOf(std::string_view reply)
{
    std::size_t pos = 0, next = 0;
    bool first = true;
    while (const auto line = lineAt(reply, pos, next)) {
        if (line->empty() && !first) return next;
        first = false;
        pos = next;
    }
    return std::string_view::npos;
}

// The value of a header line in the header block, empty when absent. Names match without case.
std::string headerValue(std::string_view header, std::string_view name)
{
    std::size_t pos = 0, next = 0;
    if (!lineAt(header, 0, next)) return {}; // the status line
    pos = next;
    while (pos < header.size()) {
        const auto line = lineAt(header, pos, next);
        const std::string_view text = line ? *line : header.substr(pos);
        const std::size_t colon = text.find(':');
        if (colon != std::string_view::npos && equalsIgnoreCaseAscii(trimView(text.substr(0, colon)), name))
            return toLowerAscii(trimView(text.substr(colon + 1)));
        if (!line) break;
        pos = next;
    }
    return {};
}

std::string firstLineOf(const std::string& reply)
{
    std::string line = reply.substr(0, reply.find('\n'));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > 256) line.resize(256);
    return line;
}

} // namespace

NtripReplyResult NtripReplyParser::Feed(std::string_view bytes)
{
    reply_.append(bytes);
    return decide(false);
}

NtripReplyResult NtripReplyParser::Finish()
{
    return decide(true);
}

NtripReplyResult NtripReplyParser::refuse(int status, const std::string& firstLine) const
{
    NtripReplyResult r;
    r.Kind = NtripReplyKind::Refused;
    if (status == 401) r.RefusalText = "401 - Invalid username or password";
    else if (status == 404) r.RefusalText = "404 - Mount point not found: " + mountPoint_;
    else if (status == 403) r.RefusalText = "403 - Access forbidden";
    else {
        r.RefusalText = "Unknown server response";
        r.ServerResponse = firstLine;
    }
    return r;
}

NtripReplyResult NtripReplyParser::sourceTable(std::size_t bodyStart, bool chunked) const
{
    // A table in answer to a mount point request is how an NTRIP 1 caster says that the mount
    // point does not exist; it must not be taken for the stream.
    if (!mountPoint_.empty()) return refuse(404, {});
    NtripReplyResult r;
    r.Kind = NtripReplyKind::SourceTable;
    r.Body = bodyStart < reply_.size() ? reply_.substr(bodyStart) : std::string();
    r.Chunked = chunked;
    return r;
}

// A reply whose first line has no known form: look for the status words anywhere in the header.
NtripReplyResult NtripReplyParser::fallback(std::size_t bodyStart, bool closed, bool overCap) const
{
    if (overCap) bodyStart = std::string::npos;
    const bool complete = bodyStart != std::string::npos;
    if (!complete && !closed && !overCap) return {};
    const std::string header = reply_.substr(0, std::min(bodyStart, MaxHeaderBytes));
    const bool table = header.find("SOURCETABLE") != std::string::npos;
    if (complete && (table || header.find("200 OK") != std::string::npos)) {
        if (table) return sourceTable(bodyStart, false);
        NtripReplyResult r;
        r.Kind = NtripReplyKind::Stream;
        r.Body = reply_.substr(bodyStart);
        return r;
    }
    for (int status : {401, 404, 403})
        if (header.find(std::to_string(status)) != std::string::npos) return refuse(status, {});
    if (closed && !overCap) return {};
    return refuse(0, reply_.find('\n') != std::string::npos ? firstLineOf(reply_) : std::string());
}

NtripReplyResult NtripReplyParser::decide(bool closed)
{
    if (reply_.empty()) return {};
    const std::size_t lineEnd = reply_.find('\n');
    const std::size_t bodyStart = bodyStartOf(reply_);
    const bool overCap = reply_.size() > MaxHeaderBytes && (bodyStart == std::string::npos || bodyStart > MaxHeaderBytes);
    if (lineEnd == std::string::npos && !closed && !overCap) return {};

    const std::string firstLine = firstLineOf(reply_);
    const StatusLine status = parseStatusLine(firstLine);
    if (status.form == StatusForm::Unknown) return fallback(bodyStart, closed, overCap);
    if (status.code != 200) return refuse(status.code, firstLine);

    if (status.form == StatusForm::Icy) {
        if (lineEnd == std::string::npos) return overCap ? refuse(0, firstLine) : NtripReplyResult{};
        NtripReplyResult r;
        r.Kind = NtripReplyKind::Stream;
        r.Body = reply_.substr(lineEnd + 1);
        return r;
    }
    if (status.form == StatusForm::SourceTable && !mountPoint_.empty()) return refuse(404, {});
    if (bodyStart == std::string::npos || overCap) {
        if (overCap) return refuse(0, firstLine);
        // A source table whose header never ended: what came after the status line is the table.
        if (closed && status.form == StatusForm::SourceTable)
            return sourceTable(lineEnd == std::string::npos ? reply_.size() : lineEnd + 1, false);
        return {};
    }
    const std::string_view header(reply_.data(), bodyStart);
    const bool chunked = headerValue(header, "Transfer-Encoding").find("chunked") != std::string::npos;
    if (status.form == StatusForm::SourceTable
        || headerValue(header, "Content-Type").find("gnss/sourcetable") != std::string::npos)
        return sourceTable(bodyStart, chunked);
    NtripReplyResult r;
    r.Kind = NtripReplyKind::Stream;
    r.Body = reply_.substr(bodyStart);
    r.Chunked = chunked;
    return r;
}

ChunkedDecoder::Status ChunkedDecoder::Feed(std::string_view in, std::string& out)
{
    constexpr std::size_t maxLine = 4096;
    for (std::size_t i = 0; i < in.size();) {
        const char c = in[i];
        switch (phase_) {
        case Phase::Size:
            if (std::isxdigit(static_cast<unsigned char>(c))) {
                if (++sizeDigits_ > 15) { phase_ = Phase::Bad; break; }
                const int v = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (toLowerAscii(c) - 'a' + 10);
                remaining_ = remaining_ * 16 + unsigned(v);
            } else if (sizeDigits_ > 0 && (c == ';' || c == ' ' || c == '\t')) {
                phase_ = Phase::Extension;
                trailerLineLength_ = 0;
            } else if (sizeDigits_ > 0 && c == '\r') {
                phase_ = Phase::SizeLf;
            } else if (sizeDigits_ > 0 && c == '\n') {
                phase_ = remaining_ == 0 ? Phase::Trailer : Phase::Data;
                trailerLineLength_ = 0;
            } else {
                phase_ = Phase::Bad;
            }
            ++i;
            break;
        case Phase::Extension:
            if (c == '\r') phase_ = Phase::SizeLf;
            else if (c == '\n') { phase_ = remaining_ == 0 ? Phase::Trailer : Phase::Data; trailerLineLength_ = 0; }
            else if (++trailerLineLength_ > maxLine) phase_ = Phase::Bad;
            ++i;
            break;
        case Phase::SizeLf:
            phase_ = c != '\n' ? Phase::Bad : (remaining_ == 0 ? Phase::Trailer : Phase::Data);
            trailerLineLength_ = 0;
            ++i;
            break;
        case Phase::Data: {
            const std::size_t n = std::size_t(std::min<unsigned long long>(remaining_, in.size() - i));
            out.append(in.substr(i, n));
            remaining_ -= n;
            i += n;
            if (remaining_ == 0) phase_ = Phase::DataCr;
            break;
        }
        case Phase::DataCr:
            phase_ = c == '\r' ? Phase::DataLf : (c == '\n' ? Phase::Size : Phase::Bad);
            if (phase_ == Phase::Size) sizeDigits_ = 0;
            ++i;
            break;
        case Phase::DataLf:
            phase_ = c == '\n' ? Phase::Size : Phase::Bad;
            sizeDigits_ = 0;
            ++i;
            break;
        case Phase::Trailer:
            if (c == '\r') phase_ = Phase::TrailerLf;
            else if (c == '\n') { if (trailerLineLength_ == 0) phase_ = Phase::Done; trailerLineLength_ = 0; }
            else if (++trailerLineLength_ > maxLine) phase_ = Phase::Bad;
            ++i;
            break;
        case Phase::TrailerLf:
            if (c != '\n') phase_ = Phase::Bad;
            else if (trailerLineLength_ == 0) phase_ = Phase::Done;
            else { phase_ = Phase::Trailer; trailerLineLength_ = 0; }
            ++i;
            break;
        case Phase::Done:
            return Status::Finished;
        case Phase::Bad:
            return Status::Malformed;
        }
        if (phase_ == Phase::Bad) return Status::Malformed;
    }
    return phase_ == Phase::Done ? Status::Finished : phase_ == Phase::Bad ? Status::Malformed : Status::Ok;
}

std::vector<std::string> ParseSourceTableText(std::string_view text)
{
    std::vector<std::string> mountPoints;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(pos, end - pos);
        if (line.starts_with("STR;")) {
            const std::size_t semi = line.find(';', 4);
            if (semi != std::string_view::npos) mountPoints.emplace_back(line.substr(4, semi - 4));
        }
        pos = end + 1;
    }
    return mountPoints;
}

} // namespace vsx
