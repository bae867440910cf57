#pragma once
// Where the NTRIP client's correction bytes go: into the GNSS receiver's own port, or, while the
// user has an output port open, into that port instead. The client writes every block it
// receives into this one output from its network thread; the router passes the block to the port
// in force at that moment, so each block reaches exactly one port however the user switches
// between them meanwhile (never both, never twice).
//
// Every member is thread-safe. The port is chosen under the lock and written outside it: handing
// over the receiver's port or opening an output port never waits for a write, and closing the
// output port waits at most for the write in progress, whose time is bounded (see write()).
#include "input/CorrectionOutput.h"
#include "platform/SerialPort.h"

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>

namespace vsx {

class CorrectionRouter : public CorrectionOutput {
public:
    ~CorrectionRouter() override;

    // The block into the output port when one is open, else into the receiver's port. An output
    // port is given the time the bytes take on its line (10 bits a byte) and 50 ms more; what it
    // has not taken by then is dropped, so a stalled port never holds up the stream for long.
    bool write(const char* data, std::size_t size) override;
    // Whether the port in force is open.
    bool isOpen() const override;

    // The receiver's port (null: none), handed over whenever it opens or closes.
    void setReceiverPort(CorrectionOutputPtr port);
    // Opens the device as the output port (8 data bits, no parity, one stop bit, DTR and RTS on)
    // at `baudRate`, closing an output port open before. False with the reason and the step that
    // failed when the device cannot be opened or takes no line settings; the receiver's port then
    // takes the stream.
    bool openOutputPort(const std::string& devicePath, int baudRate, std::string& error,
                        SerialOpenStep* failedStep = nullptr);
    // Closes the output port; the receiver's port takes the stream again. False when none was open.
    bool closeOutputPort();
    bool outputPortOpen() const;
    // The stream goes to the receiver's port and there is none, or it is closed: corrections are
    // not passed on.
    bool receiverPortMissing() const;

private:
    mutable std::mutex mutex_;
    CorrectionOutputPtr receiver_;
    std::shared_ptr<SerialPort> output_;
    int outputBaud_ = 0;
};

} // namespace vsx
