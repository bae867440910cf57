#include "tools/FolderOpener.h"

#include "platform/Paths.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

namespace vsx {
namespace {
FolderOpenerFunction& opener()
{
    static FolderOpenerFunction f;
    return f;
}

// The folder part with its trailing '/', or empty.
std::string folderPart(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}
} // namespace

std::string LogFolderToOpen(const std::string& rawLogFileName, const std::string& logFolder)
{
    std::string folder = folderPart(rawLogFileName);
    if (folder.empty()) folder = logFolder;
    if (folder.empty()) return {};
    std::string withoutSlash = folder;
    while (withoutSlash.size() > 1 && withoutSlash.back() == '/') withoutSlash.pop_back();
    const std::string parent = folderPart(withoutSlash);
    return parent.empty() ? withTrailingSlash(folder) : parent;
}

void OpenFolderInFileBrowser(const std::string& folder)
{
    if (folder.empty()) return;
    if (!folderExists(folder)) makeFolders(folder);
    if (opener()) {
        opener()(folder);
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(folder)));
}

void setFolderOpener(FolderOpenerFunction f) { opener() = std::move(f); }

} // namespace vsx
