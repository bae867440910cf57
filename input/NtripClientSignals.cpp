#include "input/NtripClientSignals.h"

#include <QMetaObject>

namespace vsx {

NtripClientSignals::NtripClientSignals(TVeldorNTRIPClient& client, QObject* parent) : QObject(parent), client_(client)
{
    NtripClientCallbacks callbacks;
    callbacks.OnStatus = [this](std::uint64_t connection, NTRIPClientState state, const std::string& text) {
        enqueue({Kind::Status, connection, state, text, {}});
    };
    callbacks.OnData = [this](std::uint64_t connection, const char* bytes, std::size_t count, bool forwarded) {
        enqueue({Kind::Data, connection, NTRIPClientState::Disconnected, std::string(bytes, count), {}, forwarded});
    };
    callbacks.OnSourceTable = [this](std::uint64_t connection, const std::vector<std::string>& mountPoints) {
        enqueue({Kind::SourceTable, connection, NTRIPClientState::Disconnected, {}, mountPoints});
    };
    callbacks.OnLog = [this](std::uint64_t connection, const std::string& text) {
        enqueue({Kind::Log, connection, NTRIPClientState::Disconnected, text, {}});
    };
    callbacks.OnEnded = [this](std::uint64_t connection) {
        enqueue({Kind::Ended, connection, NTRIPClientState::Disconnected, {}, {}});
    };
    client_.SetCallbacks(std::move(callbacks));
}

NtripClientSignals::~NtripClientSignals()
{
    client_.SetCallbacks({});
}

void NtripClientSignals::enqueue(Event event)
{
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(event));
    // One queued call carries every event that arrives before it runs. The call names a method
    // instead of carrying the data, so all data passes through the queue and its lock.
    if (!deliveryPosted_) {
        deliveryPosted_ = true;
        QMetaObject::invokeMethod(this, "deliverQueued", Qt::QueuedConnection);
    }
}

void NtripClientSignals::deliverQueued()
{
    std::deque<Event> events;
    {
        std::lock_guard lock(mutex_);
        events.swap(queue_);
        deliveryPosted_ = false;
    }
    for (const Event& e : events) {
        if (!client_.IsCurrent(e.connection)) continue;
        switch (e.kind) {
        case Kind::Status: emit status(e.state, e.text); break;
        case Kind::Data: emit data(QByteArray(e.text.data(), qsizetype(e.text.size())), e.forwarded); break;
        case Kind::SourceTable: emit sourceTable(e.mountPoints); break;
        case Kind::Log: emit log(e.text); break;
        case Kind::Ended: emit ended(); break;
        }
    }
}

} // namespace vsx
