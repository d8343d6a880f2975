// Arbitrary bytes as a job's job.json, inventory (as-found.json, as-left.json) and changes.json:
// no crash, and whatever is accepted is written back and read again to the same text.
#include "job/servicejob.h"
#include "job/inventoryrecord.h"

#include <QByteArray>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes
        = QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    QString error;
    ServiceJob::Info info;
    if (ServiceJob::infoFromBytes(bytes, &info, &error)) {
        const QByteArray written = ServiceJob::infoToBytes(info);
        ServiceJob::Info again;
        if (!ServiceJob::infoFromBytes(written, &again, &error)
            || ServiceJob::infoToBytes(again) != written)
            std::abort();
    } else if (error.isEmpty()) {
        std::abort();
    }
    error.clear();
    InventoryRecord record;
    if (InventoryRecord::fromBytes(bytes, QStringLiteral("as-found.json"), &record, &error)) {
        InventoryRecord again;
        if (!InventoryRecord::fromBytes(record.toBytes(), QStringLiteral("as-found.json"), &again,
                                        &error)
            || again.toBytes() != record.toBytes())
            std::abort();
    } else if (error.isEmpty()) {
        std::abort();
    }
    error.clear();
    QVector<ServiceJournal::Entry> entries;
    if (ServiceJob::changesFromBytes(bytes, &entries, &error)) {
        const QByteArray written = ServiceJob::changesToBytes(entries);
        QVector<ServiceJournal::Entry> again;
        if (!ServiceJob::changesFromBytes(written, &again, &error)
            || ServiceJob::changesToBytes(again) != written)
            std::abort();
    } else if (error.isEmpty()) {
        std::abort();
    }
    return 0;
}
