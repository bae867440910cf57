#pragma once
// The GNSS receiver's serial port as the NTRIP client's correction output. The port object is
// shared and thread-safe: once the receiver closes it, writes from the network thread fail
// instead of reaching whatever reuses the descriptor.
#include "input/CorrectionOutput.h"
#include "platform/SerialPort.h"

#include <memory>

namespace vsx {

class SerialCorrectionOutput : public CorrectionOutput {
public:
    explicit SerialCorrectionOutput(std::shared_ptr<SerialPort> port) : port_(std::move(port)) {}
    bool write(const char* data, std::size_t size) override { return port_ && port_->write(data, size); }
    bool isOpen() const override { return port_ && port_->isOpen(); }

private:
    std::shared_ptr<SerialPort> port_;
};

} // namespace vsx
