#pragma once
// Opening a folder in the desktop's file browser, and which folder "Open Log Folder" opens.
#include <functional>
#include <string>

namespace vsx {

// The parent of the folder that holds the raw GNSS log (or of `logFolder` when there is no raw
// log): the day folder for the usual ".../<date>/LOG/" logs. The folder itself when it has no
// parent. The result ends in '/'.
std::string LogFolderToOpen(const std::string& rawLogFileName, const std::string& logFolder);

// Shows the folder in the file browser, creating it (with its parents) when missing.
void OpenFolderInFileBrowser(const std::string& folder);

// Tests replace the browser; an empty function restores it.
using FolderOpenerFunction = std::function<void(const std::string&)>;
void setFolderOpener(FolderOpenerFunction opener);

} // namespace vsx
