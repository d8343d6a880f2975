#pragma once

#include <QString>

// Where Tarvik puts the files an engineer keeps: parameter logs, the flash log, test reports and
// service jobs. Never the working folder, which depends on how the program was started: the
// folder the engineer chose (Options ▸ Parameter Log Directory…), else "Tarvik" in the
// platform's documents folder.
namespace UserFolders {
// The setting that keeps the engineer's choice.
constexpr const char *LogDirectoryKey = "ParameterLog/Directory";
// "Tarvik" in the platform's documents folder (or its home folder when it has none).
QString defaultDirectory();
// The folder logs and reports go to; made when missing, so a file can be written at once.
QString logDirectory();
} // namespace UserFolders
