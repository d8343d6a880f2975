#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

class CsvOutput;
class QTemporaryFile;

// The rows of several buses in time order. The buses are decoded one after another, each
// bus's rows wait in a temporary file of its own, tagged with their frame's time, and are
// merged when the last bus is done: the output shows the frames as they came, the buses' rows
// interleaved (at the same time, the lower bus first). Memory stays at one frame's rows a bus.
class BusRowMerge
{
public:
    BusRowMerge();
    ~BusRowMerge();

    // Rows from now on belong to the next bus (buses in number order).
    bool startBus(QString *error);
    // The rows of one frame, `size` bytes at `rows`.
    void append(qint64 timeUs, const char *rows, int size);
    bool write(CsvOutput &output, QString *error);

private:
    std::vector<std::unique_ptr<QTemporaryFile>> m_files;
};
