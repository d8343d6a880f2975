#pragma once

#include "diagnostics/memoryaccesstable.h"

#include <QByteArray>
#include <QString>

// Reader and writer of memory access files: SPN, group and slot sections, with or without a
// "#version" header. The reader is the one parser of this format; it fills a table only when the
// whole file is valid.
namespace MemoryAccessFile {
// Files beyond this size are refused unread.
constexpr int MaxFileSize = 16 * 1024 * 1024;

bool parse(const QByteArray &data, MemoryAccessTable *table, QString *errorText);
// The version-0 form: SPN lines, an empty line, group lines, an empty line, slot lines.
QByteArray write(const MemoryAccessTable &table);
// Shortest text that reads back as the same double.
QString numberText(double value);
} // namespace MemoryAccessFile
