// Records as the adapter libraries hand them back (J2534 messages, slcan and slmcp records),
// filled with arbitrary bytes: no crash, every frame that comes out is well formed, and encoding
// it again gives the same frame.
#include "can/adapterrecords.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

bool wellFormed(const CanMessage &m)
{
    return m.length <= CanMessage::MaxLength
           && (m.extended ? m.id <= AdapterRecords::ExtendedIdMask
                          : m.id <= AdapterRecords::StandardIdMask);
}

void check(const CanMessage &m, const CanMessage &again)
{
    if (!wellFormed(m) || again.id != m.id || again.extended != m.extended
        || again.length != m.length || std::memcmp(again.data, m.data, m.length) != 0)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    J2534Api::PassThruMsg msg;
    std::memset(&msg, 0, sizeof msg);
    std::memcpy(&msg, data, std::min(size, sizeof msg));
    CanMessage m;
    if (AdapterRecords::fromPassThru(msg, &m) == AdapterRecords::PassThruResult::Frame) {
        J2534Api::PassThruMsg out;
        AdapterRecords::toPassThru(m, &out);
        out.RxStatus = m.extended ? J2534Api::RxCan29BitId : 0ul;
        CanMessage again;
        if (AdapterRecords::fromPassThru(out, &again) != AdapterRecords::PassThruResult::Frame)
            std::abort();
        check(m, again);
    }

    unsigned char slcan[AdapterRecords::SlcanRecordSize] = {};
    std::memcpy(slcan, data, std::min<size_t>(size, sizeof slcan));
    m = AdapterRecords::fromSlcanRecord(slcan);
    AdapterRecords::toSlcanRecord(m, slcan);
    check(m, AdapterRecords::fromSlcanRecord(slcan));

    unsigned char slmcp[AdapterRecords::SlmcpRecordSize] = {};
    std::memcpy(slmcp, data, std::min<size_t>(size, sizeof slmcp));
    m = AdapterRecords::fromSlmcpRecord(slmcp);
    AdapterRecords::toSlmcpRecord(m, slmcp);
    check(m, AdapterRecords::fromSlmcpRecord(slmcp));
    return 0;
}
