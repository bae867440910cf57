#include "support/HttpTileServer.h"

#include <QBuffer>
#include <QImage>
#include <chrono>
#include <cmath>
#include <numbers>
#include <thread>

namespace vsx::test {

HttpTileServer::HttpTileServer(AnswerFor answer)
    : answer_(std::move(answer)), server_([this](LoopbackPeer& peer, int) { serve(peer); })
{
}

int HttpTileServer::requests(const std::string& path) const
{
    std::lock_guard lock(mutex_);
    const auto it = counts_.find(path);
    return it == counts_.end() ? 0 : it->second;
}

int HttpTileServer::totalRequests() const
{
    std::lock_guard lock(mutex_);
    int n = 0;
    for (const auto& [path, count] : counts_) n += count;
    return n;
}

void HttpTileServer::serve(LoopbackPeer& peer)
{
    const std::string head = peer.ReadRequest(5000);
    const auto start = head.find(' ');
    if (start == std::string::npos) return;
    const auto end = head.find(' ', start + 1);
    const std::string path = head.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
    {
        std::lock_guard lock(mutex_);
        ++counts_[path];
    }
    if (stalled_) {
        ++waiting_;
        for (int i = 0; i < 2000 && stalled_; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        --waiting_;
    }
    const HttpAnswer a = answer_(path);
    const char* reason = a.status == 200 ? "OK" : a.status == 404 ? "Not Found" : "Error";
    peer.Send("HTTP/1.1 " + std::to_string(a.status) + " " + reason + "\r\nContent-Type: " + a.contentType +
              "\r\nContent-Length: " + std::to_string(a.body.size()) + "\r\nConnection: close\r\n\r\n" + a.body);
}

std::string tilePng(unsigned rgb, int mx, int my, unsigned markRgb)
{
    QImage image(256, 256, QImage::Format_RGB32);
    image.fill(QColor::fromRgb(0xFF000000u | rgb));
    if (mx >= 0) image.setPixel(mx, my, 0xFF000000u | markRgb);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

bool findMark(const QImage& image, double& x, double& y, unsigned markRgb)
{
    double sx = 0, sy = 0;
    int count = 0;
    for (int j = 0; j < image.height(); ++j)
        for (int i = 0; i < image.width(); ++i)
            if ((image.pixel(i, j) & 0xFFFFFF) == markRgb) {
                sx += i;
                sy += j;
                ++count;
            }
    if (count == 0) return false;
    x = sx / count;
    y = sy / count;
    return true;
}

void tilePixelLatLon(int column, int row, int z, double px, double py, double& lat, double& lon)
{
    const double n = std::ldexp(1.0, z);
    lon = (column + px / 256.0) / n * 360.0 - 180.0;
    lat = std::atan(std::sinh(std::numbers::pi * (1 - 2 * (row + py / 256.0) / n))) * 180.0 / std::numbers::pi;
}

} // namespace vsx::test
