#include "nav/ScreenshotWriter.h"

#include "platform/Paths.h"

#include <QCoreApplication>
#include <QImageWriter>
#include <QSaveFile>

#include <filesystem>

namespace vsx {

namespace {

// Qt's PNG writer takes the compression on a scale of 0 to 100 and turns it into the zlib level
// as value * 9 / 91 (whole numbers): 9 on that scale would be zlib level 0, stored without any
// compression (a 1920 x 1080 screen became 6 MB). 100 is zlib level 9, the best compression.
constexpr int kPngCompression = 100;

} // namespace

ScreenshotWriter::ScreenshotWriter(QObject* parent) : QObject(parent)
{
    pool_.setMaxThreadCount(1);
}

ScreenshotWriter::~ScreenshotWriter() { pool_.waitForDone(); }

std::string ScreenshotWriter::WritePng(const QImage& image, const std::string& path)
{
    if (image.isNull()) return path + ": the screen could not be captured";
    const std::string folder = std::filesystem::path(path).parent_path().string();
    makeFolders(folder);
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly)) return path + ": " + file.errorString().toStdString();
    QImageWriter writer(&file, "png");
    writer.setCompression(kPngCompression);
    if (!writer.write(image.convertToFormat(QImage::Format_RGB888)))
        return path + ": " + writer.errorString().toStdString();
    if (!file.commit()) return path + ": " + file.errorString().toStdString();
    return {};
}

int ScreenshotWriter::Take(ScreenSource& source, const std::string& folder, const LocalDateTime& at)
{
    if (pending_ > 0) return 0;
    const std::vector<MonitorRect> monitors = source.Monitors();
    const std::vector<std::string> names = MonitorNames(monitors);
    int queued = 0;
    for (size_t i = 0; i < monitors.size(); ++i) {
        QImage image = source.Grab(i);
        const std::string path = ScreenshotFileName(folder, at, names[i]);
        ++pending_;
        ++queued;
        pool_.start([this, image = std::move(image), path] {
            const std::string error = WritePng(image, path);
            QMetaObject::invokeMethod(this, [this, error] { finished(error); }, Qt::QueuedConnection);
        });
    }
    return queued;
}

void ScreenshotWriter::finished(const std::string& error)
{
    --pending_;
    if (error.empty()) {
        failing_ = false;
        return;
    }
    if (failing_) return;
    failing_ = true;
    if (OnFailure) OnFailure(error);
}

void ScreenshotWriter::WaitForDone()
{
    pool_.waitForDone();
    while (pending_ > 0) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

} // namespace vsx
