#pragma once
// What the NTRIP client reads before the corrections start: the caster's reply header, the
// source table, and the chunked body an NTRIP 2 caster may send. All of it is plain state
// machines over received bytes, so it can be tested and fuzzed without a socket.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vsx {

enum class NtripReplyKind {
    Incomplete,  // more bytes are needed
    Stream,      // the caster accepted the request; Body starts the correction data
    SourceTable, // the caster sends its source table; Body starts it
    Refused,     // the request was refused or the reply is not understood
};

struct NtripReplyResult {
    NtripReplyKind Kind = NtripReplyKind::Incomplete;
    std::string Body;           // bytes received after the header
    bool Chunked = false;       // the body uses HTTP chunked transfer coding
    std::string RefusalText;    // the state text of a refusal
    std::string ServerResponse; // the reply's first line, logged for an unknown refusal
};

// Reads the reply to one request. The first line decides: "ICY 200 OK", "HTTP/1.x 200" and
// "SOURCETABLE 200 OK" are accepted, any other status code is a refusal at once, without waiting
// for an empty line that some casters never send. A first line of no known form falls back to
// looking for the status words anywhere in the header. Lines may end in CR LF or a bare LF.
class NtripReplyParser {
public:
    // A reply header longer than this is not an NTRIP reply.
    static constexpr std::size_t MaxHeaderBytes = 8192;

    explicit NtripReplyParser(std::string mountPoint) : mountPoint_(std::move(mountPoint)) {}

    // Adds received bytes. Once a result other than Incomplete has come, the parser is done.
    NtripReplyResult Feed(std::string_view bytes);
    // The connection closed: decides on what arrived. Incomplete means there was nothing to
    // decide on (the close itself is the news).
    NtripReplyResult Finish();

private:
    NtripReplyResult decide(bool closed);
    NtripReplyResult refuse(int status, const std::string& firstLine) const;
    NtripReplyResult fallback(std::size_t bodyStart, bool closed, bool overCap) const;
    NtripReplyResult sourceTable(std::size_t bodyStart, bool chunked) const;

    std::string mountPoint_;
    std::string reply_;
};

// Undoes HTTP/1.1 chunked transfer coding ("size CRLF data CRLF ... 0 CRLF trailer CRLF").
class ChunkedDecoder {
public:
    enum class Status { Ok, Finished, Malformed };
    // Appends the decoded bytes of `in` to `out`. After Finished or Malformed it reads nothing more.
    Status Feed(std::string_view in, std::string& out);

private:
    enum class Phase { Size, Extension, SizeLf, Data, DataCr, DataLf, Trailer, TrailerLf, Done, Bad };
    Phase phase_ = Phase::Size;
    unsigned long long remaining_ = 0;
    int sizeDigits_ = 0;
    std::size_t trailerLineLength_ = 0;
};

// The mount point names of the "STR;" lines of a source table, in table order.
std::vector<std::string> ParseSourceTableText(std::string_view text);

} // namespace vsx
