// The NTRIP request, the GGA upload, the reply header, chunked bodies and the source table,
// each tested on bytes without a socket.
#include "input/NtripReply.h"
#include "input/NtripRequest.h"
#include "platform/AtomicFile.h"
#include "platform/Text.h"
#include "support/MissingPeer.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace vsx;

TEST(NtripRequest, Base64FollowsRfc4648)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"}, {"\xff\xfe", "//4="}, {"user:", "dXNlcjo="}, {std::string("\x80\x00\x7f", 3), "gAB/"},
    };
    for (const auto& [in, want] : cases) EXPECT_EQ(Base64Encode(in), want) << in;
}

TEST(NtripRequest, RequestFormsAndAuthorization)
{
    struct Case { NtripRequestFields fields; std::string want; };
    const Case cases[] = {
        {{"caster.example", "user", "pass", "MOUNT", 0},
         "GET /MOUNT HTTP/1.0\r\nUser-Agent: NTRIP VeldorNTRIPClient/1.0\r\n"
         "Authorization: Basic dXNlcjpwYXNz\r\n\r\n"},
        // No user name: no authorization at all, even with a password.
        {{"caster.example", "", "secret", "MOUNT", 0}, "GET /MOUNT HTTP/1.0\r\nUser-Agent: NTRIP VeldorNTRIPClient/1.0\r\n\r\n"},
        // A user name alone still sends the colon.
        {{"caster.example", "user", "", "", 0},
         "GET / HTTP/1.0\r\nUser-Agent: NTRIP VeldorNTRIPClient/1.0\r\nAuthorization: Basic dXNlcjo=\r\n\r\n"},
        {{"caster.example", "user", "pass", "MOUNT", 1},
         "GET /MOUNT HTTP/1.1\r\nHost: caster.example\r\nNtrip-Version: Ntrip/2.0\r\n"
         "User-Agent: NTRIP VeldorNTRIPClient/1.0\r\nAuthorization: Basic dXNlcjpwYXNz\r\n\r\n"},
        {{"caster.example", "user", "pass", "MOUNT", 2}, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(BuildNtripRequest(c.fields), c.want) << c.fields.ProtocolVersion;
}

TEST(NtripRequest, GgaFieldsChecksumAndMinuteCarry)
{
    using namespace std::chrono;
    const auto at = sys_days{year{2024} / 3 / 9} + hours(12) + minutes(34) + seconds(56);
    // Checksum worked out independently (exclusive-or of the body's characters).
    EXPECT_EQ(BuildGGA({-33.5, -70.25, 12.34}, at), "$GPGGA,123456,3330.0000,S,07015.0000,W,1,10,1.0,12.3,M,0.0,M,,*4A");

    struct Case { double angle; int digits; const char* want; };
    const Case cases[] = {
        {48.1173, 2, "4807.0380"},
        {0.5, 2, "0030.0000"},
        {5.25, 3, "00515.0000"},
        {41.0 - 0.00004 / 60.0, 2, "4100.0000"},   // would read 4060.0000 without the carry
        {-(41.0 - 0.00004 / 60.0), 2, "4100.0000"},
        {179.9999999999, 3, "18000.0000"},
        {41.0 - 0.00006 / 60.0, 2, "4059.9999"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatNmeaAngle(c.angle, c.digits), c.want) << c.angle;
}

namespace {

struct ReplyCase {
    const char* name;
    std::vector<std::string> blocks; // the reply as it arrives; only the last one decides
    bool closeAfter;                 // the caster closes after the last block
    std::string mountPoint;
    NtripReplyKind kind;
    std::string body;
    std::string refusal;
    std::string serverResponse;
    bool chunked = false;
};

} // namespace

TEST(NtripReply, FirstLineDecidesAndHeaderSplitsWait)
{
    const std::string rtcm("\xD3\x00\x13\x3E\xD7\xD3\x02\x02\x98\x0E\xDE\xEF\x34\xB4\xBD\x62\xAC\x09\x41\x98\x6F\x33\x36\x0B\x98", 25);
    const ReplyCase cases[] = {
        {"icy with data", {"ICY 200 OK\r\n" + rtcm}, false, "M", NtripReplyKind::Stream, rtcm, "", ""},
        {"icy split", {"ICY 200 O", "K\r", "\n" + rtcm}, false, "M", NtripReplyKind::Stream, rtcm, "", ""},
        {"http 1.1 with headers",
         {"HTTP/1.1 200 OK\r\nNtrip-Version: Ntrip/2.0\r\nContent-Type: gnss/data\r\n\r\n" + rtcm}, false, "M",
         NtripReplyKind::Stream, rtcm, "", ""},
        {"header split over blocks", {"HTTP/1.0 200", " OK\r\nServer: x\r\n", "\r", "\nDATA"}, false, "M",
         NtripReplyKind::Stream, "DATA", "", ""},
        {"http chunked", {"HTTP/1.1 200 OK\r\nTransfer-Encoding: Chunked\r\n\r\n4\r\nDATA\r\n"}, false, "M",
         NtripReplyKind::Stream, "4\r\nDATA\r\n", "", "", true},
        // A real caster's refusal: the status line alone, then the close.
        {"401 without empty line", {"HTTP/1.0 401 Unauthorized\r\n"}, false, "M", NtripReplyKind::Refused, "",
         "401 - Invalid username or password", ""},
        {"401 cut off by the close", {"HTTP/1.0 401 Unauth"}, true, "M", NtripReplyKind::Refused, "",
         "401 - Invalid username or password", ""},
        {"401 with headers", {"HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic\r\n\r\n"}, false, "M",
         NtripReplyKind::Refused, "", "401 - Invalid username or password", ""},
        {"403", {"HTTP/1.1 403 Forbidden\r\n\r\n"}, false, "M", NtripReplyKind::Refused, "", "403 - Access forbidden", ""},
        {"404", {"HTTP/1.1 404 Not Found\r\n\r\n"}, false, "M", NtripReplyKind::Refused, "", "404 - Mount point not found: M", ""},
        {"500", {"HTTP/1.1 500 Internal Server Error\r\n\r\n"}, false, "M", NtripReplyKind::Refused, "",
         "Unknown server response", "HTTP/1.1 500 Internal Server Error"},
        // The status code decides, not a number somewhere in the header.
        {"500 with a 404 inside", {"HTTP/1.1 500 Oops\r\nContent-Length: 404\r\n\r\n"}, false, "M",
         NtripReplyKind::Refused, "", "Unknown server response", "HTTP/1.1 500 Oops"},
        // An NTRIP 1 caster answers an unknown mount point with its source table.
        {"table for a mount point", {"SOURCETABLE 200 OK\r\n"}, false, "NOPE", NtripReplyKind::Refused, "",
         "404 - Mount point not found: NOPE", ""},
        {"ntrip 2 table for a mount point", {"HTTP/1.1 200 OK\r\nContent-Type: gnss/sourcetable\r\n\r\nSTR;A;"}, false,
         "NOPE", NtripReplyKind::Refused, "", "404 - Mount point not found: NOPE", ""},
        {"table asked for", {"SOURCETABLE 200 OK\r\nServer: x\r\n", "\r\nSTR;A;"}, false, "", NtripReplyKind::SourceTable,
         "STR;A;", "", ""},
        {"ntrip 2 table chunked",
         {"HTTP/1.1 200 OK\r\nContent-Type: gnss/sourcetable\r\nTransfer-Encoding: chunked\r\n\r\n6\r\nSTR;A;\r\n"}, false,
         "", NtripReplyKind::SourceTable, "6\r\nSTR;A;\r\n", "", "", true},
        {"unknown first line, 200 OK further on", {"NTRIP/9 x\r\nStatus: 200 OK\r\n\r\nDATA"}, false, "M",
         NtripReplyKind::Stream, "DATA", "", ""},
        {"unknown first line, closed", {"<html>\r\n"}, true, "M", NtripReplyKind::Incomplete, "", "", ""},
        {"unknown and complete", {"<html>\r\n\r\n"}, false, "M", NtripReplyKind::Refused, "", "Unknown server response",
         "<html>"},
        {"nothing before the close", {""}, true, "M", NtripReplyKind::Incomplete, "", "", ""},
        {"200 cut off by the close", {"HTTP/1.1 200 OK\r\nServer"}, true, "M", NtripReplyKind::Incomplete, "", "", ""},
        {"endless header", {"HTTP/1.1 200 OK\r\n" + std::string(9000, 'x')}, false, "M", NtripReplyKind::Refused, "",
         "Unknown server response", "HTTP/1.1 200 OK"},
        {"endless line", {std::string(9000, 'x')}, false, "M", NtripReplyKind::Refused, "", "Unknown server response", ""},
        // Bare LF line ends read like CR LF ones.
        {"icy with bare lf", {"ICY 200 O", "K\n" + rtcm}, false, "M", NtripReplyKind::Stream, rtcm, "", ""},
        {"http with bare lf", {"HTTP/1.1 200 OK\nServer: x\n", "\nDATA"}, false, "M", NtripReplyKind::Stream, "DATA",
         "", ""},
        {"mixed line ends", {"HTTP/1.1 200 OK\r\nServer: x\n\r\nDATA"}, false, "M", NtripReplyKind::Stream, "DATA", "",
         ""},
        {"401 with bare lf", {"HTTP/1.0 401 Unauthorized\n"}, false, "M", NtripReplyKind::Refused, "",
         "401 - Invalid username or password", ""},
        {"500 with bare lf", {"HTTP/1.1 500 Oops\n\n"}, false, "M", NtripReplyKind::Refused, "", "Unknown server response",
         "HTTP/1.1 500 Oops"},
        {"table with bare lf", {"SOURCETABLE 200 OK\nServer: x\n\nSTR;A;"}, false, "", NtripReplyKind::SourceTable,
         "STR;A;", "", ""},
        {"ntrip 2 chunked table with bare lf",
         {"HTTP/1.1 200 OK\nContent-Type: gnss/sourcetable\nTransfer-Encoding: chunked\n\n6\nSTR;A;\n"}, false, "",
         NtripReplyKind::SourceTable, "6\nSTR;A;\n", "", "", true},
    };
    for (const ReplyCase& c : cases) {
        SCOPED_TRACE(c.name);
        NtripReplyParser parser(c.mountPoint);
        NtripReplyResult r;
        for (std::size_t i = 0; i < c.blocks.size(); ++i) {
            r = parser.Feed(c.blocks[i]);
            if (i + 1 < c.blocks.size()) {
                ASSERT_EQ(r.Kind, NtripReplyKind::Incomplete) << "block " << i;
            }
        }
        if (c.closeAfter) {
            ASSERT_EQ(r.Kind, NtripReplyKind::Incomplete);
            r = parser.Finish();
        }
        EXPECT_EQ(r.Kind, c.kind);
        EXPECT_EQ(r.Body, c.body);
        EXPECT_EQ(r.RefusalText, c.refusal);
        EXPECT_EQ(r.ServerResponse, c.serverResponse);
        EXPECT_EQ(r.Chunked, c.chunked);
    }
}

TEST(NtripReply, ChunkedBodyDecodesAtEverySplit)
{
    const std::string encoded = "4\r\nWiki\r\n5;name=value\r\npedia\r\nE\r\n in\r\n\r\nchunks.\r\n0\r\nTrailer: x\r\n\r\n";
    const std::string decoded = "Wikipedia in\r\n\r\nchunks.";
    for (std::size_t split = 0; split <= encoded.size(); ++split) {
        ChunkedDecoder d;
        std::string out;
        const auto first = d.Feed(std::string_view(encoded).substr(0, split), out);
        const auto second = d.Feed(std::string_view(encoded).substr(split), out);
        EXPECT_EQ(out, decoded) << split;
        EXPECT_EQ(split == encoded.size() ? first : second, ChunkedDecoder::Status::Finished) << split;
    }
    // Byte by byte.
    ChunkedDecoder d;
    std::string out;
    for (char c : encoded) d.Feed(std::string_view(&c, 1), out);
    EXPECT_EQ(out, decoded);

    for (const char* bad : {"zz\r\n", "4\r\nWikiXY", "\r\n", "4\r\nWiki\r\n10000000000000000\r\n", "4\rx"}) {
        ChunkedDecoder b;
        std::string o;
        EXPECT_EQ(b.Feed(bad, o), ChunkedDecoder::Status::Malformed) << bad;
    }
}

TEST(NtripReply, SourceTableListsStrLinesInOrder)
{
    const std::string folder = test::sharedDataFolder();
    if (folder.empty()) VSX_SKIP_MISSING() << "the shared recordings are not there";
    std::string table;
    ASSERT_TRUE(readFile(folder + "rtcm/ntrip_sourcetable.log", table));
    const std::vector<std::string> want = {"VRS_3_2G", "MAC_3_2G", "FKP_3_2G", "EPS"};
    // The recording is a whole reply with bare LF line ends, as the caster sent it.
    for (const std::string& reply : {table, toCrLf(table)}) {
        NtripReplyParser parser("");
        const NtripReplyResult r = parser.Feed(reply);
        ASSERT_EQ(r.Kind, NtripReplyKind::SourceTable);
        EXPECT_EQ(r.Body.substr(0, 4), "CAS;");
        EXPECT_EQ(ParseSourceTableText(r.Body), want);
    }
    EXPECT_EQ(ParseSourceTableText(table), want);
    EXPECT_EQ(ParseSourceTableText(toCrLf(table)), want);
    EXPECT_EQ(ParseSourceTableText("STR;ONE;x\rSTR;NOSEMICOLON\nCAS;x;y\r\nSTR;;empty\nSTR;TWO;"),
              (std::vector<std::string>{"ONE", "", "TWO"}));
}
