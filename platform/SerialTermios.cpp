// Only kernel headers here: <asm/termbits.h> and glibc's <termios.h> cannot meet in one file.
#include "platform/SerialTermios.h"

#include <asm/termbits.h>
#include <cerrno>
#include <cstring>
#include <sys/ioctl.h>

namespace vsx::serial {
namespace {

struct RateCode {
    unsigned rate;
    unsigned code;
};
constexpr RateCode kRates[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},       {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800}, {500000, B500000},
    {576000, B576000}, {921600, B921600}, {1000000, B1000000},
};

std::string errnoText() { return std::strerror(errno); }

} // namespace

bool applyLineSettings(int fd, const SerialLineSettings& s, std::string* error)
{
    auto fail = [&](const std::string& why) {
        if (error) *error = why;
        return false;
    };
    if (s.dataBits < 5 || s.dataBits > 8) return fail("unsupported data width of " + std::to_string(s.dataBits) + " bits");
    if (s.baudRate <= 0) return fail("unsupported baud rate " + std::to_string(s.baudRate));

    termios2 t{};
    if (::ioctl(fd, TCGETS2, &t) != 0) return fail("cannot read the line settings: " + errnoText());
    const unsigned parityAsFound = t.c_cflag & (PARENB | PARODD | CMSPAR);

    // Raw mode is set explicitly: a tty starts with line editing and echo, and the echo would
    // send every received sentence back to the device.
    t.c_iflag &= ~unsigned(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY | IUCLC);
    t.c_oflag &= ~unsigned(OPOST);
    t.c_lflag &= ~unsigned(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~unsigned(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | CBAUD | CIBAUD);
    t.c_cflag |= CREAD | CLOCAL;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;

    static constexpr unsigned kSizes[] = {CS5, CS6, CS7, CS8};
    t.c_cflag |= kSizes[s.dataBits - 5];
    // One and a half stop bits is what a UART makes of CSTOPB with five data bits.
    if (s.stopBits != SerialStopBits::One) t.c_cflag |= CSTOPB;
    switch (s.parity) {
    case SerialParity::None: break;
    case SerialParity::Odd: t.c_cflag |= PARENB | PARODD; break;
    case SerialParity::Even: t.c_cflag |= PARENB; break;
    case SerialParity::Mark: t.c_cflag |= PARENB | PARODD | CMSPAR; break;
    case SerialParity::Space: t.c_cflag |= PARENB | CMSPAR; break;
    case SerialParity::AsFound: t.c_cflag |= parityAsFound; break;
    }
    if (s.parity == SerialParity::None) t.c_iflag &= ~unsigned(INPCK);
    else t.c_iflag |= INPCK;

    unsigned code = BOTHER;
    for (const RateCode& r : kRates)
        if (r.rate == unsigned(s.baudRate)) code = r.code;
    t.c_cflag |= code;
    t.c_ispeed = t.c_ospeed = unsigned(s.baudRate);

    if (::ioctl(fd, TCSETS2, &t) != 0) return fail("cannot set the line settings: " + errnoText());
    return true;
}

bool readLineState(int fd, LineState& state)
{
    termios2 t{};
    if (::ioctl(fd, TCGETS2, &t) != 0) return false;
    state.baudRate = t.c_ospeed;
    switch (t.c_cflag & CSIZE) {
    case CS5: state.dataBits = 5; break;
    case CS6: state.dataBits = 6; break;
    case CS7: state.dataBits = 7; break;
    default: state.dataBits = 8; break;
    }
    state.twoStopBits = (t.c_cflag & CSTOPB) != 0;
    if (!(t.c_cflag & PARENB)) state.parity = 'N';
    else if (t.c_cflag & CMSPAR) state.parity = (t.c_cflag & PARODD) ? 'M' : 'S';
    else state.parity = (t.c_cflag & PARODD) ? 'O' : 'E';
    state.parityCheck = (t.c_iflag & INPCK) != 0;
    state.raw = !(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN)) && !(t.c_oflag & OPOST) && !(t.c_iflag & (ICRNL | IXON));
    state.receiverOn = (t.c_cflag & CREAD) != 0;
    state.localLine = (t.c_cflag & CLOCAL) != 0;
    state.hardwareFlowControl = (t.c_cflag & CRTSCTS) != 0;
    return true;
}

bool flushQueues(int fd) { return ::ioctl(fd, TCFLSH, TCIOFLUSH) == 0; }

} // namespace vsx::serial
