#include "cli/busrowmerge.h"

#include "cli/cli.h"
#include "cli/csvoutput.h"

#include <QTemporaryFile>

namespace {

// A bus's rows as they are read back, a frame's at a time.
struct Cursor
{
    QTemporaryFile *file = nullptr;
    qint64 timeUs = 0;
    QByteArray rows;
    bool atEnd = false;

    void next()
    {
        qint32 size = 0;
        if (file->read(reinterpret_cast<char *>(&timeUs), sizeof timeUs) != sizeof timeUs
            || file->read(reinterpret_cast<char *>(&size), sizeof size) != sizeof size) {
            atEnd = true;
            return;
        }
        rows = file->read(size);
    }
};

} // namespace

BusRowMerge::BusRowMerge() = default;
BusRowMerge::~BusRowMerge() = default;

bool BusRowMerge::startBus(QString *error)
{
    auto file = std::make_unique<QTemporaryFile>();
    if (!file->open()) {
        *error = Cli::tr("Cannot write a temporary file: %1").arg(file->errorString());
        return false;
    }
    m_files.push_back(std::move(file));
    return true;
}

void BusRowMerge::append(qint64 timeUs, const char *rows, int size)
{
    QTemporaryFile *file = m_files.back().get();
    const qint32 length = size;
    file->write(reinterpret_cast<const char *>(&timeUs), sizeof timeUs);
    file->write(reinterpret_cast<const char *>(&length), sizeof length);
    file->write(rows, size);
}

bool BusRowMerge::write(CsvOutput &output, QString *error)
{
    std::vector<Cursor> cursors(m_files.size());
    for (size_t i = 0; i < m_files.size(); ++i) {
        if (!m_files[i]->flush() || !m_files[i]->seek(0)) {
            *error = Cli::tr("Cannot read a temporary file: %1").arg(m_files[i]->errorString());
            return false;
        }
        cursors[i].file = m_files[i].get();
        cursors[i].next();
    }
    for (;;) {
        Cursor *earliest = nullptr;
        for (Cursor &c : cursors) {
            if (!c.atEnd && (!earliest || c.timeUs < earliest->timeUs))
                earliest = &c;
        }
        if (!earliest)
            return true;
        output.write(earliest->rows);
        earliest->next();
    }
}
