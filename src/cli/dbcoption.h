#pragma once

#include "descriptions/candevicefactory.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QStringList>
#include <QTextStream>

// The commands' --dbc and --dbc-wins options: the engineer's DBC databases, read once and shared
// by every decoder (and thread) of the run, which only read them.
namespace DbcOption {

QCommandLineOption option();
QCommandLineOption winsOption();
// Both, for a command's parser.
QList<QCommandLineOption> options();
// Reads the files in order; each warning ("file:line: reason") goes to `err`. False, with the
// reason told, when a file cannot be read or is no DBC database. With `wins`, each database
// comes before the library for the groups both describe.
bool read(const QStringList &paths, bool wins, CanDeviceFactory::Databases *databases,
          QTextStream &err);
// The databases the parser's --dbc and --dbc-wins name; false with the error told and the exit
// code set: a usage error for --dbc-wins without a database, a failure for a file refused.
bool read(const QCommandLineParser &parser, const QString &command,
          CanDeviceFactory::Databases *databases, QTextStream &err, int *exitCode);

} // namespace DbcOption
