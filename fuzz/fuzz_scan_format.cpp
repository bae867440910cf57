// Feeds a format (up to the first newline) and an input line to the scan-format interpreter.
#include "platform/ScanFormat.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view all(reinterpret_cast<const char*>(data), size);
    const size_t nl = all.find('\n');
    const std::string_view format = all.substr(0, nl);
    const std::string_view input = nl == std::string_view::npos ? std::string_view() : all.substr(nl + 1);
    if (auto f = vsx::ScanFormat::compile(format)) {
        double values[8];
        f->scan(input, values, 8);
    }
    return 0;
}
