#include "input/NtripClientSignals.h"

#include <QMetaObject>

namespace vsx {

NtripClientSignals::NtripClientSignals(TVeldorNTRIPClient& client, QObject* parent) : QObject(parent), client_(client)
{
    NtripClientCallbacks callbacks;
    callbacks.OnStatus = [this](std::uint64_t connection, NTRIPClientState state, const std::string& text) {
        QMetaObject::invokeMethod(
            this, [this, connection, state, text] { if (current(connection)) emit status(state, text); },
            Qt::QueuedConnection);
    };
    callbacks.OnData = [this](std::uint64_t connection, const char* bytes, std::size_t count) {
        QByteArray copy(bytes, qsizetype(count));
        QMetaObject::invokeMethod(
            this, [this, connection, copy] { if (current(connection)) emit data(copy); }, Qt::QueuedConnection);
    };
    callbacks.OnSourceTable = [this](std::uint64_t connection, const std::vector<std::string>& mountPoints) {
        QMetaObject::invokeMethod(
            this, [this, connection, mountPoints] { if (current(connection)) emit sourceTable(mountPoints); },
            Qt::QueuedConnection);
    };
    callbacks.OnLog = [this](std::uint64_t connection, const std::string& text) {
        QMetaObject::invokeMethod(
            this, [this, connection, text] { if (current(connection)) emit log(text); }, Qt::QueuedConnection);
    };
    client_.SetCallbacks(std::move(callbacks));
}

NtripClientSignals::~NtripClientSignals()
{
    client_.SetCallbacks({});
}

} // namespace vsx
