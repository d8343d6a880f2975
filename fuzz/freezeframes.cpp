// Arbitrary answers of a unit through the DM4, DM24 and DM25 decoders and the split of an
// expanded freeze frame by an arbitrary SPN list: no crash, no read past the end, and what
// decodes encodes back to records that decode the same.
#include "diagnostics/dm25function.h"
#include "diagnostics/freezeframe.h"

#include <algorithm>
#include <cstdlib>

using namespace FreezeFrame;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte splits the input: a DM24 list, then the DM4/DM25 message.
    const size_t split = std::min<size_t>(size - 1, data[0]);
    const QByteArray list(reinterpret_cast<const char *>(data + 1), int(split));
    const QByteArray message(reinterpret_cast<const char *>(data + 1 + split),
                             int(size - 1 - split));

    const QVector<Dm4Record> dm4 = decodeDm4(message);
    for (const Dm4Record &r : dm4) {
        for (int f = 0; f < Dm4FieldCount; ++f)
            dm4FieldText(r, Dm4Field(f));
    }
    if (decodeDm4(encodeDm4(dm4)) != dm4)
        std::abort();

    const QVector<SpnSupport> support = decodeDm24(list);
    if (decodeDm24(encodeDm24(support)) != support)
        std::abort();

    const QVector<Dm25Record> dm25 = decodeDm25(message);
    if (decodeDm25(encodeDm25(dm25)) != dm25)
        std::abort();
    for (const Dm25Record &r : dm25) {
        bool consistent = false;
        const QVector<FrameValue> values = splitValues(r.values, support, &consistent);
        int bytes = 0;
        for (const FrameValue &v : values)
            bytes += int(v.raw.size());
        // Every byte of the record is shown once, no more.
        if (bytes != r.values.size())
            std::abort();
        DM25Function::valueRows(r, support);
        DM25Function::valueRows(r, std::nullopt);
        findRecord(dm25, r.dtc.spn, r.dtc.fmi, r.dtc.oc);
    }
    return 0;
}
