// Feeds bytes to the NTRIP reply parser, cut into blocks where the input says, then to the
// chunked-body decoder and the source-table reader, as the worker would after an acceptance.
#include "input/NtripReply.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    // The first byte picks the mount point and the block length.
    const bool withMount = data[0] & 1;
    const std::size_t block = 1 + (data[0] >> 1);
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    vsx::NtripReplyParser parser(withMount ? "MOUNT" : "");
    vsx::NtripReplyResult result;
    std::size_t pos = 0;
    while (pos < bytes.size() && result.Kind == vsx::NtripReplyKind::Incomplete) {
        result = parser.Feed(bytes.substr(pos, block));
        pos += block;
    }
    if (result.Kind == vsx::NtripReplyKind::Incomplete) result = parser.Finish();

    std::string body = result.Body;
    if (pos < bytes.size()) body.append(bytes.substr(pos));
    vsx::ChunkedDecoder chunks;
    std::string decoded;
    for (std::size_t p = 0; p < body.size(); p += block) {
        if (chunks.Feed(std::string_view(body).substr(p, block), decoded) != vsx::ChunkedDecoder::Status::Ok) break;
    }
    if (decoded.size() > body.size()) __builtin_trap(); // decoding never invents bytes
    vsx::ParseSourceTableText(body);
    return 0;
}
