#pragma once
// Fetches imagery tiles from the tile server without ever blocking the caller: the painter says
// which tiles its view still lacks, and a few requests at a time go out on the interactive
// thread's event loop, one per tile. A request that cannot connect within ConnectTimeout or
// stalls for TransferTimeout is dropped; a tile that failed (no answer, an error status, a body
// that is no image) is asked for again only after a back-off that doubles up to MaxBackoff.
#include "canvas/TileMath.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <chrono>
#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

class QNetworkAccessManager;
class QNetworkReply;

namespace vsx {

struct TileServer {
    QString scheme = QStringLiteral("https");
    QString host = QStringLiteral("server.arcgisonline.com");
    int port = 0;  // 0: the scheme's own
    // {z}, {x} and {y} are replaced by the tile's zoom, column and row.
    QString pathTemplate = QStringLiteral("/ArcGIS/rest/services/World_Imagery/MapServer/tile/{z}/{y}/{x}");

    QString Url(const TileKey& key) const;
};

class TileFetcher : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxInFlight = 4;
    static constexpr std::chrono::milliseconds ConnectTimeout{5'000};
    static constexpr std::chrono::milliseconds TransferTimeout{20'000};
    static constexpr std::chrono::milliseconds FirstBackoff{30'000};
    static constexpr std::chrono::milliseconds MaxBackoff{600'000};

    // `accept` takes a 200 answer's body and says whether it was a good tile.
    using Accept = std::function<bool(const TileKey&, const QByteArray&)>;
    explicit TileFetcher(Accept accept, QObject* parent = nullptr);
    ~TileFetcher() override;

    void SetServer(const TileServer& server) { server_ = server; }
    const TileServer& Server() const { return server_; }

    // The tiles the view lacks, most wanted first; replaces the previous wish list.
    void Want(const std::vector<TileKey>& keys);
    int InFlight() const { return int(inFlight_.size()); }
    // Forgets failures and wishes (a cleared cache starts afresh); requests in flight finish.
    void Reset();

signals:
    // A good tile arrived and was accepted.
    void TileArrived(vsx::TileKey key);
    // A failed tile's back-off is over: the view may ask for it again.
    void RetryDue();

private:
    struct Failure {
        std::chrono::steady_clock::time_point retryAt;
        std::chrono::milliseconds delay{0};
    };
    static std::uint64_t pack(const TileKey& k)
    {
        return (std::uint64_t(k.z) << 56) | (std::uint64_t(std::uint32_t(k.x)) << 28) | std::uint32_t(k.y);
    }
    void pump();
    void start(const TileKey& key);
    void finished(const TileKey& key, QNetworkReply* reply);
    void failed(const TileKey& key);

    Accept accept_;
    TileServer server_;
    QNetworkAccessManager* network_ = nullptr;
    std::vector<TileKey> wanted_;
    std::unordered_map<std::uint64_t, QNetworkReply*> inFlight_;
    std::unordered_map<std::uint64_t, Failure> failures_;
};

} // namespace vsx
