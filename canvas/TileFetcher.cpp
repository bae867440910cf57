#include "canvas/TileFetcher.h"

#include "platform/Clock.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>
#include <algorithm>

namespace vsx {

QString TileServer::Url(const TileKey& key) const
{
    QString path = pathTemplate;
    path.replace(QLatin1String("{z}"), QString::number(key.z))
        .replace(QLatin1String("{x}"), QString::number(key.x))
        .replace(QLatin1String("{y}"), QString::number(key.y));
    QString authority = host;
    if (port > 0) authority += QLatin1Char(':') + QString::number(port);
    if (!path.startsWith(QLatin1Char('/'))) path.prepend(QLatin1Char('/'));
    return scheme + QStringLiteral("://") + authority + path;
}

TileFetcher::TileFetcher(Accept accept, QObject* parent) : QObject(parent), accept_(std::move(accept)) {}

TileFetcher::~TileFetcher()
{
    for (auto& [key, reply] : inFlight_) {
        reply->disconnect(this);
        reply->abort();
    }
}

void TileFetcher::Want(const std::vector<TileKey>& keys)
{
    wanted_ = keys;
    pump();
}

void TileFetcher::Reset()
{
    wanted_.clear();
    failures_.clear();
}

void TileFetcher::pump()
{
    const auto now = clock().monotonic();
    for (auto it = wanted_.begin(); it != wanted_.end() && int(inFlight_.size()) < MaxInFlight;) {
        const std::uint64_t k = pack(*it);
        const auto failure = failures_.find(k);
        if (inFlight_.count(k) || (failure != failures_.end() && now < failure->second.retryAt)) {
            ++it;
            continue;
        }
        const TileKey key = *it;
        it = wanted_.erase(it);
        start(key);
    }
}

void TileFetcher::start(const TileKey& key)
{
    if (!network_) network_ = new QNetworkAccessManager(this);
    QNetworkRequest request{QUrl(server_.Url(key))};
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("VeldorSX/1.0"));
    request.setTransferTimeout(int(TransferTimeout.count()));
    QNetworkReply* reply = network_->get(request);
    inFlight_[pack(key)] = reply;
    // Until the request has gone out, the connection is still being made.
    auto* connectTimer = new QTimer(reply);
    connectTimer->setSingleShot(true);
    connect(connectTimer, &QTimer::timeout, reply, &QNetworkReply::abort);
    connect(reply, &QNetworkReply::requestSent, connectTimer, &QTimer::stop);
    connectTimer->start(int(ConnectTimeout.count()));
    connect(reply, &QNetworkReply::finished, this, [this, key, reply] { finished(key, reply); });
}

void TileFetcher::finished(const TileKey& key, QNetworkReply* reply)
{
    inFlight_.erase(pack(key));
    reply->deleteLater();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const bool ok = reply->error() == QNetworkReply::NoError && status == 200 && accept_ && accept_(key, reply->readAll());
    if (ok) {
        failures_.erase(pack(key));
        emit TileArrived(key);
    } else {
        failed(key);
    }
    pump();
}

void TileFetcher::failed(const TileKey& key)
{
    Failure& f = failures_[pack(key)];
    f.delay = f.delay.count() == 0 ? FirstBackoff : std::min(MaxBackoff, f.delay * 2);
    f.retryAt = clock().monotonic() + f.delay;
    QTimer::singleShot(f.delay, this, &TileFetcher::RetryDue);
}

} // namespace vsx
