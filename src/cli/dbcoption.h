#pragma once

#include "descriptions/candevicefactory.h"

#include <QCommandLineOption>
#include <QStringList>
#include <QTextStream>

// The commands' --dbc option: the engineer's DBC databases, read once and shared by every
// decoder (and thread) of the run, which only read them.
namespace DbcOption {

QCommandLineOption option();
// Reads the files in order; each warning ("file:line: reason") goes to `err`. False, with the
// reason told, when a file cannot be read or is no DBC database.
bool read(const QStringList &paths, CanDeviceFactory::Databases *databases, QTextStream &err);

} // namespace DbcOption
