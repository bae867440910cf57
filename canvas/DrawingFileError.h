#pragma once
// A drawing file that cannot be written or read back: the message names the file and the reason
// and is meant for the user ("The drawing file ... is damaged: ..."). The canvas is left as it
// was before the failed operation.
#include <stdexcept>
#include <string>

namespace vsx {

class DrawingFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace vsx
