#include "can/binaryrecording.h"
#include "can/mf4blocks.h"
#include "can/mf4groupreader.h"

#include <cstring>
#include <memory>
#include <vector>

namespace Mf4Recording {

namespace {

constexpr qint64 HeaderBlockOffset = Mf4::IdBlockBytes;

// The start of the recording in microseconds since the epoch. The header's time is UTC unless
// its local-time flag is set; then it is the local time of an unknown zone and taken as it is.
qint64 startUs(const Mf4::Block &header)
{
    return qint64(header.u64(0) / 1000);
}

// One data group's frames and the next of them, for the merge in time order.
struct Source
{
    std::unique_ptr<Mf4GroupReader> reader;
    TimedFrame head;
    bool hasHead = false;
};

bool advance(Source &source)
{
    const Mf4GroupReader::Result result = source.reader->next(&source.head);
    source.hasHead = result == Mf4GroupReader::Frame;
    return result != Mf4GroupReader::Failed;
}

} // namespace

bool looksLike(const char *data, qint64 size)
{
    return size >= 8
           && (std::memcmp(data, "MDF     ", 8) == 0 || std::memcmp(data, "UnFinMF ", 8) == 0);
}

// Every data group is read on its own and their frames are merged by time (the earlier group
// first on equal times), holding one frame per group: a logger may put each bus, or each kind
// of record, in a data group of its own.
bool read(BinaryRecordingPass &pass)
{
    Mf4::File file(pass);
    Mf4::Block header;
    if (!file.readIdentification() || !file.readBlock(HeaderBlockOffset, {"HD"}, &header))
        return false;
    const qint64 start = startUs(header);
    std::vector<Source> sources;
    Mf4::ChainGuard groups(Mf4::GroupLimit);
    for (qint64 link = header.link(0); link != 0;) {
        Mf4::Block dataGroup;
        if (!groups.enter(file, link) || !file.readBlock(link, {"DG"}, &dataGroup))
            return false;
        Source source;
        source.reader.reset(new Mf4GroupReader(file, start));
        if (!source.reader->open(dataGroup))
            return false;
        if (source.reader->hasBusRecords())
            sources.push_back(std::move(source));
        link = dataGroup.link(0);
    }
    for (Source &source : sources)
        if (!advance(source))
            return false;
    for (;;) {
        Source *earliest = nullptr;
        for (Source &source : sources)
            if (source.hasHead && (!earliest || source.head.timeUs < earliest->head.timeUs))
                earliest = &source;
        if (!earliest)
            return true;
        if (!pass.take(earliest->head) || !advance(*earliest))
            return false;
    }
}

} // namespace Mf4Recording
