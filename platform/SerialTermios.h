#pragma once
// The termios work of the serial layer, through the kernel's termios2 interface so that any baud
// rate (14400 has no termios constant) can be set. Kept apart from <termios.h>, whose struct of
// the same name clashes with the kernel's.
#include "platform/SerialPort.h"

#include <string>

namespace vsx::serial {

// Raw mode (no echo, no line editing, no signals, no output processing, no software or hardware
// flow control, receiver on, modem status ignored) plus the given rate, data bits, stop bits and
// parity. On failure the reason goes to error.
bool applyLineSettings(int fd, const SerialLineSettings& settings, std::string* error);

// The line state as the kernel holds it (a pseudo-terminal's master reports its slave's).
struct LineState {
    unsigned baudRate = 0;
    int dataBits = 0;
    bool twoStopBits = false;       // CSTOPB: two, or one and a half with five data bits
    char parity = 'N';              // 'N', 'O', 'E', 'M', 'S'
    bool parityCheck = false;       // INPCK
    bool raw = false;               // no ICANON, ECHO, ISIG, IEXTEN, OPOST, ICRNL, IXON
    bool receiverOn = false;        // CREAD
    bool localLine = false;         // CLOCAL
    bool hardwareFlowControl = false;
};
bool readLineState(int fd, LineState& state);

// Drops both queues.
bool flushQueues(int fd);

} // namespace vsx::serial
