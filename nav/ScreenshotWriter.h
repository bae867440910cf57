#pragma once
// The periodic screenshots: every monitor is grabbed on the interactive thread (the window system
// allows nothing else), then converted to a 24-bit image, PNG-encoded with zlib's best
// compression (level 9) and written on a worker thread of its own, so the map does not stall
// while the images compress.
// Writes happen in order, one at a time. A failing write is reported once, on the interactive
// thread, and again only after a write has succeeded in between.
#include "nav/ScreenshotNames.h"

#include <QImage>
#include <QObject>
#include <QThreadPool>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vsx {

// Where the screen images come from: the real screens, or a test's pictures.
class ScreenSource {
public:
    virtual ~ScreenSource() = default;
    virtual std::vector<MonitorRect> Monitors() = 0;
    // The picture of monitor `index` at the monitor's size; a null image when it cannot be had.
    virtual QImage Grab(size_t index) = 0;
};

class ScreenshotWriter : public QObject {
    Q_OBJECT
public:
    explicit ScreenshotWriter(QObject* parent = nullptr);
    ~ScreenshotWriter() override;

    // First failure of a streak (the file and the reason), on the interactive thread.
    std::function<void(const std::string& message)> OnFailure;

    // Grabs every monitor now and queues their files under `folder`, named with `at`. Returns the
    // number of images queued (0 when the previous ones are still being written: that moment is
    // skipped rather than piling up images in memory).
    int Take(ScreenSource& source, const std::string& folder, const LocalDateTime& at);
    // Waits until every queued file is written and its result delivered.
    void WaitForDone();
    int Pending() const { return pending_; }

    // Converts and writes one image (the worker's job); empty on success, else the reason.
    static std::string WritePng(const QImage& image, const std::string& path);

private:
    void finished(const std::string& error);

    QThreadPool pool_;
    int pending_ = 0;
    bool failing_ = false;
};

} // namespace vsx
