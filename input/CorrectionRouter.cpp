#include "input/CorrectionRouter.h"

#include <chrono>

namespace vsx {

CorrectionRouter::~CorrectionRouter() { closeOutputPort(); }

bool CorrectionRouter::write(const char* data, std::size_t size)
{
    CorrectionOutputPtr receiver;
    std::shared_ptr<SerialPort> output;
    int baud = 0;
    {
        std::lock_guard lock(mutex_);
        receiver = receiver_;
        output = output_;
        baud = outputBaud_;
    }
    if (output) {
        if (size == 0 || !output->isOpen()) return false;
        output->setWriteTimeout(std::chrono::milliseconds(50 + (long long)(size) * 10 * 1000 / baud));
        return output->write(data, size);
    }
    return receiver && receiver->write(data, size);
}

bool CorrectionRouter::isOpen() const
{
    std::lock_guard lock(mutex_);
    if (output_) return output_->isOpen();
    return receiver_ && receiver_->isOpen();
}

void CorrectionRouter::setReceiverPort(CorrectionOutputPtr port)
{
    std::lock_guard lock(mutex_);
    receiver_ = std::move(port);
}

bool CorrectionRouter::openOutputPort(const std::string& devicePath, int baudRate, std::string& error,
                                      SerialOpenStep* failedStep)
{
    closeOutputPort();
    SerialLineSettings line;
    line.baudRate = baudRate;
    line.dataBits = 8;
    line.stopBits = SerialStopBits::One;
    line.parity = SerialParity::None;
    line.dtr = true;
    line.rts = true;
    error.clear();
    std::shared_ptr<SerialPort> port = SerialPort::open(devicePath, line, &error, failedStep);
    if (!port) return false;
    std::lock_guard lock(mutex_);
    output_ = std::move(port);
    outputBaud_ = baudRate > 0 ? baudRate : 9600;
    return true;
}

bool CorrectionRouter::closeOutputPort()
{
    std::shared_ptr<SerialPort> port;
    {
        std::lock_guard lock(mutex_);
        port.swap(output_);
    }
    if (!port) return false;
    // Waits for a write in progress, then refuses the rest.
    port->close();
    return true;
}

bool CorrectionRouter::outputPortOpen() const
{
    std::lock_guard lock(mutex_);
    return output_ != nullptr;
}

bool CorrectionRouter::receiverPortMissing() const
{
    std::lock_guard lock(mutex_);
    return !output_ && (!receiver_ || !receiver_->isOpen());
}

} // namespace vsx
