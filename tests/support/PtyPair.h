#pragma once
// A pseudo-terminal pair standing in for a serial device: the program opens the slave's path as
// its port, the test plays the device on the master. The slave starts as a fresh tty does (line
// editing and echo on), so a port that forgets raw mode shows it.
#include <string>
#include <string_view>

namespace vsx::test {

class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& slavePath() const { return slavePath_; }
    int masterFd() const { return master_; }

    // Bytes into the device side (what the receiver sends). False when the master is closed.
    bool write(std::string_view bytes);
    // What the program wrote to the device, gathered until nothing more arrives for quietMs.
    std::string readAll(int quietMs = 50);
    // The device is unplugged: the program's side hangs up.
    void closeMaster();

    // Writes "[SERIAL_PORTS] <portName>=<slave path>" into the settings file.
    void mapTo(const std::string& iniPath, const std::string& portName) const;

private:
    int master_ = -1;
    int slave_ = -1;  // held so the pair stays up while the program opens and closes its side
    std::string slavePath_;
};

} // namespace vsx::test
