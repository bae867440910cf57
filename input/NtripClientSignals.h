#pragma once
// Brings the NTRIP client's events to the Qt thread that owns this object, as copies. The
// client's callbacks run on its worker thread; each event is queued here under a lock and a
// queued call then re-emits it as a signal on this object's thread, but only when its
// connection has not been ended meanwhile, so nothing an ended connection said arrives after
// Disconnect or a new Connect. Texts stay narrow bytes (std::string); windows convert them.
#include "input/NtripClient.h"

#include <QByteArray>
#include <QObject>
#include <deque>
#include <mutex>
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
    void data(const QByteArray& bytes, bool forwarded);
    void sourceTable(const std::vector<std::string>& mountPoints);
    void log(const std::string& text);
    // The connection and its reconnects are over by themselves: nothing is running any more.
    void ended();

private:
    enum class Kind { Status, Data, SourceTable, Log, Ended };
    struct Event {
        Kind kind;
        std::uint64_t connection;
        NTRIPClientState state = NTRIPClientState::Disconnected;
        std::string text; // the status or log text, or the data bytes
        std::vector<std::string> mountPoints;
        bool forwarded = false; // data: the client wrote it into the serial output
    };

    void enqueue(Event event);
    Q_INVOKABLE void deliverQueued();

    TVeldorNTRIPClient& client_;
    std::mutex mutex_;
    std::deque<Event> queue_;
    bool deliveryPosted_ = false;
};

} // namespace vsx
