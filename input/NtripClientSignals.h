#pragma once
// Brings the NTRIP client's events to the Qt thread that owns this object, as queued copies.
// The client's callbacks run on its worker thread; each is posted here and re-emitted as a
// signal only when its connection has not been ended meanwhile, so nothing an ended connection
// said arrives after Disconnect or a new Connect. Texts stay narrow bytes (std::string); windows
// convert them for display.
#include "input/NtripClient.h"

#include <QByteArray>
#include <QObject>
#include <string>
#include <vector>

namespace vsx {

class NtripClientSignals : public QObject {
    Q_OBJECT
public:
    // Binds to the client's callbacks; the client must outlive this object.
    explicit NtripClientSignals(TVeldorNTRIPClient& client, QObject* parent = nullptr);
    // Unbinds, so the worker no longer posts here.
    ~NtripClientSignals() override;

    TVeldorNTRIPClient& client() const { return client_; }

signals:
    void status(vsx::NTRIPClientState state, const std::string& text);
    void data(const QByteArray& bytes);
    void sourceTable(const std::vector<std::string>& mountPoints);
    void log(const std::string& text);

private:
    bool current(std::uint64_t connection) const { return client_.IsCurrent(connection); }

    TVeldorNTRIPClient& client_;
};

} // namespace vsx
