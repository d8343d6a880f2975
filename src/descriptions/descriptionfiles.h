#pragma once

#include <QDomElement>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Where the description files are found: a directory beside the program replaces the built-in
// files completely (never merged). Reads them into their <func> / <device> elements.
namespace DescriptionFiles {

QStringList functionLibraryFiles();
QStringList deviceListFiles();
// Folder that holds the "funcs" and "devices" directories (beside the executable by default).
void setBaseDirectory(const QString &directory);
QString baseDirectory();

// The root's children with the given tag. A file that cannot be read or parsed gives nothing;
// for the function library it is reported (log and, once per file, the fault reporter).
QList<QDomElement> readFunctionLibrary(const QString &path);
QList<QDomElement> readDeviceList(const QString &path);

using FaultReporter = std::function<void(const QString &message)>;
void setFaultReporter(FaultReporter reporter);

} // namespace DescriptionFiles
