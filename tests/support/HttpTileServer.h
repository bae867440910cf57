#pragma once
// A tile server for the imagery tests on 127.0.0.1: it answers each GET with what the test's
// answer function gives for the path, counts the requests per path, and can hold its answers
// back until released (a stalled server).
#include "support/LoopbackServer.h"

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>

class QImage;

namespace vsx::test {

struct HttpAnswer {
    int status = 200;
    std::string contentType = "image/png";
    std::string body;
};

class HttpTileServer {
public:
    using AnswerFor = std::function<HttpAnswer(const std::string& path)>;
    explicit HttpTileServer(AnswerFor answer);

    int port() const { return server_.port(); }
    int requests(const std::string& path) const;
    int totalRequests() const;
    // While stalled, every request waits (up to 20 s) before it is answered.
    void setStalled(bool stalled) { stalled_ = stalled; }
    // Requests that have arrived and wait for a stalled server.
    int waiting() const { return waiting_; }

private:
    void serve(LoopbackPeer& peer);

    AnswerFor answer_;
    mutable std::mutex mutex_;
    std::map<std::string, int> counts_;
    std::atomic<bool> stalled_{false};
    std::atomic<int> waiting_{0};
    LoopbackServer server_;  // last: its thread starts once everything above exists
};

// A PNG of a 256-pixel tile filled with `rgb`, with the one pixel (mx, my) in `markRgb` when mx >= 0.
std::string tilePng(unsigned rgb, int mx = -1, int my = -1, unsigned markRgb = 0xFF00FF);

// Where a map drew the marked pixel: the centroid of the pixels of exactly `markRgb` in `image`;
// false when there are none.
bool findMark(const QImage& image, double& x, double& y, unsigned markRgb = 0xFF00FF);

// Latitude and longitude of the point (px, py), in pixels from the top left, of the web-Mercator
// tile (column, row) at zoom z.
void tilePixelLatLon(int column, int row, int z, double px, double py, double& lat, double& lon);

} // namespace vsx::test
