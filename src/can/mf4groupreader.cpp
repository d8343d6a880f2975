#include "can/mf4groupreader.h"

#include "can/binaryrecording.h"
#include "can/busnames.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>

using Mf4::ChannelGroup;
using Mf4::translated;

namespace {

constexpr quint32 ExtendedFlag = 0x80000000u;
constexpr quint32 ExtendedIdMask = 0x1FFFFFFFu;
constexpr quint32 StandardIdMax = 0x7FF;
// A time beyond this many seconds from the start is not a recording's.
constexpr double TimeRangeSeconds = 1e11;

// Loggers number their buses from 1 (CAN1, CAN2); a frame's bus counts from 0, as can0 does.
bool isValidRecordIdSize(int bytes)
{
    return bytes == 0 || bytes == 1 || bytes == 2 || bytes == 4 || bytes == 8;
}

} // namespace

Mf4GroupReader::Mf4GroupReader(Mf4::File &file, qint64 startUs)
    : m_file(file)
    , m_startUs(startUs)
{}

bool Mf4GroupReader::open(const Mf4::Block &dataGroup)
{
    m_recordIdBytes = dataGroup.u8(0);
    if (!isValidRecordIdSize(m_recordIdBytes))
        return m_file.fail(
            dataGroup.offset,
            translated(QT_TRANSLATE_NOOP("RecordingReader", "record id size %1 is not valid"))
                .arg(m_recordIdBytes));
    Mf4::ChainGuard chain(Mf4::ChannelLimit);
    for (qint64 link = dataGroup.link(1); link != 0;) {
        ChannelGroup group;
        if (!chain.enter(m_file, link) || !Mf4::readChannelGroup(m_file, link, &group, &link))
            return false;
        if (m_recordIdBytes > 0 && m_groupByRecordId.contains(group.recordId))
            return m_file.fail(
                group.offset,
                translated(QT_TRANSLATE_NOOP("RecordingReader", "record id %1 is used twice"))
                    .arg(group.recordId));
        m_groupByRecordId.insert(group.recordId, m_groups.size());
        m_groups.append(group);
    }
    if (m_recordIdBytes == 0 && m_groups.size() > 1)
        return m_file.fail(dataGroup.offset,
                           translated(QT_TRANSLATE_NOOP(
                               "RecordingReader", "several channel groups without record ids")));
    m_signalData.resize(size_t(m_groups.size()));
    for (int i = 0; i < m_groups.size(); ++i) {
        ChannelGroup &group = m_groups[i];
        if (m_recordIdBytes == 0 && group.recordBytes() == 0)
            return m_file.fail(group.offset, translated(QT_TRANSLATE_NOOP("RecordingReader",
                                                                          "records of no bytes")));
        if (group.bytesSource != ChannelGroup::SignalData)
            continue;
        for (int j = 0; j < m_groups.size(); ++j) {
            if (m_groups.at(j).offset == group.bytesLink
                && m_groups.at(j).kind == ChannelGroup::Vlsd) {
                group.bytesSource = ChannelGroup::VlsdGroup;
                group.vlsdIndex = j;
            }
        }
        if (group.bytesSource == ChannelGroup::SignalData) {
            m_signalData[size_t(i)].reset(new Mf4DataStream(m_file, "SD"));
            if (!m_signalData[size_t(i)]->open(group.bytesLink))
                return false;
        }
    }
    m_records.reset(new Mf4DataStream(m_file, "DT"));
    return m_records->open(dataGroup.link(2));
}

bool Mf4GroupReader::hasBusRecords() const
{
    for (const ChannelGroup &group : m_groups)
        if (group.kind != ChannelGroup::Ignored && group.kind != ChannelGroup::Vlsd)
            return true;
    return false;
}

Mf4GroupReader::Result Mf4GroupReader::next(TimedFrame *frame)
{
    while (!m_ended) {
        settlePending(false);
        if (takeReady(frame, false))
            return Frame;
        if (!readRecord(&m_ended))
            return Failed;
    }
    // The data ended: frames still waiting for their data bytes will not get them.
    settlePending(true);
    return takeReady(frame, true) ? Frame : End;
}

void Mf4GroupReader::settlePending(bool all)
{
    while (!m_pending.empty()
           && (all || m_pending.front().resolved || int(m_pending.size()) > PendingLimit)) {
        const Pending front = m_pending.front();
        m_pending.pop_front();
        if (!front.resolved) {
            giveUp(front);
        } else if (!front.dropped) {
            if (m_ready.size() <= size_t(front.group))
                m_ready.resize(size_t(front.group) + 1);
            if (m_ready[size_t(front.group)].empty()
                && std::find(m_readyGroups.begin(), m_readyGroups.end(), front.group)
                       == m_readyGroups.end())
                m_readyGroups.push_back(front.group);
            m_ready[size_t(front.group)].push_back(front.frame);
            ++m_readyCount;
            m_latestUs = std::max(m_latestUs, front.frame.timeUs);
        }
    }
}

bool Mf4GroupReader::takeReady(TimedFrame *frame, bool flush)
{
    // Each channel group's records come in time order, but a logger writes the groups of one
    // data group in turns: the earliest head of all groups goes first once later frames have
    // been read far enough ahead (or the data ended); on equal times the group listed first.
    const TimedFrame *earliest = nullptr;
    int earliestGroup = -1;
    for (int group : m_readyGroups) {
        const std::deque<TimedFrame> &queue = m_ready[size_t(group)];
        if (queue.empty())
            continue;
        const TimedFrame &head = queue.front();
        if (!earliest || head.timeUs < earliest->timeUs
            || (head.timeUs == earliest->timeUs && group < earliestGroup)) {
            earliest = &head;
            earliestGroup = group;
        }
    }
    if (!earliest)
        return false;
    if (!flush && m_readyCount <= ReorderLimit && m_latestUs - earliest->timeUs < ReorderSpanUs)
        return false;
    *frame = *earliest;
    m_ready[size_t(earliestGroup)].pop_front();
    --m_readyCount;
    return true;
}

void Mf4GroupReader::giveUp(const Pending &pending)
{
    m_file.pass().skip(pending.fileOffset,
                       QT_TRANSLATE_NOOP("RecordingReader", "data bytes not found"));
}

int Mf4GroupReader::groupForRecordId(quint64 recordId) const
{
    if (m_recordIdBytes == 0)
        return m_groups.isEmpty() ? -1 : 0;
    return m_groupByRecordId.value(recordId, -1);
}

bool Mf4GroupReader::readRecord(bool *end)
{
    const qint64 at = m_records->fileOffset();
    const qint64 position = m_records->position();
    uchar idBytes[8] = {};
    qint64 got = 0;
    if (!m_records->read(reinterpret_cast<char *>(idBytes), m_recordIdBytes, &got))
        return false;
    *end = got < m_recordIdBytes || m_groups.isEmpty();
    if (*end) {
        if (got > 0)
            m_file.pass().skip(at, QT_TRANSLATE_NOOP("RecordingReader", "record cut short"));
        return true;
    }
    const quint64 recordId = qFromLittleEndian<quint64>(idBytes);
    const int index = groupForRecordId(recordId);
    const qint64 tail = m_records->unfinalizedTail();
    if (index < 0 && tail >= 0 && position >= tail) {
        // A logger may leave room it never wrote (zeros, say) after the last record.
        m_file.pass().skip(at, QT_TRANSLATE_NOOP("RecordingReader", "unwritten end of the file"));
        *end = true;
        return true;
    }
    if (index < 0)
        return m_file.fail(
            at,
            translated(QT_TRANSLATE_NOOP("RecordingReader", "unknown record id %1")).arg(recordId));
    ChannelGroup &group = m_groups[index];
    if (group.kind == ChannelGroup::Vlsd)
        return readVlsd(index, at, end);
    m_record.resize(int(group.recordBytes()));
    if (!m_records->read(m_record.data(), m_record.size(), &got))
        return false;
    if (got < m_record.size()) {
        // Without record ids the data ends where no record begins.
        if (got > 0 || m_recordIdBytes > 0)
            m_file.pass().skip(at, QT_TRANSLATE_NOOP("RecordingReader", "record cut short"));
        *end = true;
        return true;
    }
    switch (group.kind) {
    case ChannelGroup::CanData:
        takeFrame(index, at);
        if (m_file.failed())
            return false;
        break;
    case ChannelGroup::CanRemote:
        m_file.pass().skip(at, QT_TRANSLATE_NOOP("RecordingReader", "remote frame"));
        break;
    case ChannelGroup::CanError:
        m_file.pass().skip(at, QT_TRANSLATE_NOOP("RecordingReader", "error frame"));
        break;
    case ChannelGroup::OtherBus:
        m_file.pass().skip(at, QT_TRANSLATE_NOOP("RecordingReader", "not a CAN frame"));
        break;
    default:
        break;
    }
    ++group.recordsRead;
    return true;
}

bool Mf4GroupReader::readVlsd(int index, qint64 at, bool *end)
{
    ChannelGroup &group = m_groups[index];
    char lengthBytes[4];
    qint64 got = 0;
    if (!m_records->read(lengthBytes, 4, &got))
        return false;
    const quint32 length = qFromLittleEndian<quint32>(lengthBytes);
    Recent recent;
    qint64 gotBytes = 0;
    if (got == 4) {
        if (length > quint32(Mf4::RecordLimit) * 16)
            return m_file.fail(at,
                               translated(QT_TRANSLATE_NOOP("RecordingReader",
                                                            "variable-length record of %1 bytes is "
                                                            "larger than allowed"))
                                   .arg(length));
        const int kept = int(std::min<quint32>(length, KeptBytes));
        recent.bytes.resize(kept);
        qint64 skipped = 0;
        if (!m_records->read(recent.bytes.data(), kept, &gotBytes)
            || (gotBytes == kept && !m_records->read(nullptr, length - kept, &skipped)))
            return false;
        gotBytes += skipped;
    }
    if (got < 4 || gotBytes < qint64(length)) {
        m_file.pass().skip(at, QT_TRANSLATE_NOOP("RecordingReader", "record cut short"));
        *end = true;
        return true;
    }
    recent.vlsdIndex = index;
    recent.position = group.vlsdPosition;
    recent.length = length;
    group.vlsdPosition += 4 + quint64(length);
    for (Pending &pending : m_pending) {
        if (!pending.resolved && pending.vlsdIndex == index && pending.position == recent.position)
            resolve(&pending, recent.bytes, length);
    }
    m_recent.push_back(recent);
    if (int(m_recent.size()) > RecentLimit)
        m_recent.pop_front();
    return true;
}

void Mf4GroupReader::resolve(Pending *pending, const QByteArray &bytes, quint32 length)
{
    pending->resolved = true;
    if (pending->length < 0)
        pending->length = int(std::min<quint32>(length, 64));
    if (pending->length > CanMessage::MaxLength) {
        pending->dropped = true;
        m_file.pass().skip(pending->fileOffset,
                           QT_TRANSLATE_NOOP("RecordingReader", "CAN FD frame"));
        return;
    }
    if (quint32(pending->length) > length || pending->length > bytes.size()) {
        pending->dropped = true;
        giveUp(*pending);
        return;
    }
    pending->frame.message.length = quint8(pending->length);
    std::memcpy(pending->frame.message.data, bytes.constData(), size_t(pending->length));
}

qint64 Mf4GroupReader::recordTimeUs(const ChannelGroup &group, bool *valid) const
{
    *valid = true;
    if (!group.time.present)
        return m_startUs;
    const double seconds = group.time.physicalValue(m_record.constData(), group.recordsRead);
    if (!std::isfinite(seconds) || std::fabs(seconds) > TimeRangeSeconds) {
        *valid = false;
        return 0;
    }
    const qint64 us = m_startUs + std::llround(seconds * 1e6);
    *valid = us >= 0;
    return us;
}

void Mf4GroupReader::takeFrame(int index, qint64 at)
{
    const ChannelGroup &group = m_groups.at(index);
    const char *record = m_record.constData();
    const auto skip = [&](const char *reason) { m_file.pass().skip(at, reason); };
    if (group.frame.isInvalid(record, group.dataBytes)
        || group.id.isInvalid(record, group.dataBytes))
        return skip(QT_TRANSLATE_NOOP("RecordingReader", "invalid record"));
    const quint64 recordIndex = group.recordsRead;
    if (group.edl.present && group.edl.integerValue(record, recordIndex) != 0)
        return skip(QT_TRANSLATE_NOOP("RecordingReader", "CAN FD frame"));
    Pending pending;
    pending.fileOffset = at;
    pending.group = index;
    bool validTime = false;
    pending.frame.timeUs = recordTimeUs(group, &validTime);
    if (!validTime)
        return skip(QT_TRANSLATE_NOOP("RecordingReader", "time out of range"));
    const quint64 raw = group.id.integerValue(record, recordIndex);
    const bool extended = group.ide.present
                              ? group.ide.integerValue(record, recordIndex) != 0
                              : (raw & ExtendedFlag) || (raw & ExtendedIdMask) > StandardIdMax;
    const quint32 id = quint32(raw) & ExtendedIdMask;
    if (!extended && id > StandardIdMax)
        return skip(QT_TRANSLATE_NOOP("RecordingReader", "identifier out of range"));
    pending.frame.message.id = id;
    pending.frame.message.extended = extended;
    if (group.dataLength.present)
        pending.length
            = int(std::min<quint64>(group.dataLength.integerValue(record, recordIndex), 64));
    else if (group.dlc.present)
        pending.length = int(
            std::min<quint64>(group.dlc.integerValue(record, recordIndex), CanMessage::MaxLength));
    if (group.busChannel.present)
        pending.frame.bus
            = BusNames::busOfChannel(group.busChannel.integerValue(record, recordIndex));
    if (pending.length > CanMessage::MaxLength)
        return skip(QT_TRANSLATE_NOOP("RecordingReader", "CAN FD frame"));
    if (!group.bytes.present) {
        if (pending.length < 0)
            pending.length = 0;
        resolve(&pending, QByteArray(pending.length, '\0'), quint32(pending.length));
    } else if (group.bytesSource == ChannelGroup::InRecord) {
        const quint64 available = group.bytes.bitCount / 8;
        resolve(&pending,
                QByteArray::fromRawData(record + group.bytes.byteOffset,
                                        int(std::min<quint64>(available, 64))),
                quint32(available));
    } else {
        pending.position = group.bytes.unsignedValue(record);
        if (group.bytesSource == ChannelGroup::SignalData) {
            if (!readSignalBytes(index, &pending))
                return;
        } else {
            pending.vlsdIndex = group.vlsdIndex;
            if (pending.position < m_groups.at(group.vlsdIndex).vlsdPosition) {
                // The data bytes came before the frame: one of the recent VLSD records.
                const Recent *found = nullptr;
                for (const Recent &recent : m_recent)
                    if (recent.vlsdIndex == pending.vlsdIndex
                        && recent.position == pending.position)
                        found = &recent;
                if (!found)
                    return giveUp(pending);
                resolve(&pending, found->bytes, found->length);
            }
        }
    }
    if (!pending.dropped)
        m_pending.push_back(pending);
}

bool Mf4GroupReader::readSignalBytes(int groupIndex, Pending *pending)
{
    Mf4DataStream *stream = m_signalData[size_t(groupIndex)].get();
    char lengthBytes[4];
    qint64 got = 0;
    if (!stream->seek(qint64(std::min<quint64>(pending->position, quint64(1) << 62)))
        || !stream->read(lengthBytes, 4, &got))
        return false;
    const quint32 length = qFromLittleEndian<quint32>(lengthBytes);
    QByteArray bytes(int(std::min<quint32>(length, KeptBytes)), Qt::Uninitialized);
    qint64 gotBytes = 0;
    if (got == 4 && !stream->read(bytes.data(), bytes.size(), &gotBytes))
        return false;
    if (got < 4 || gotBytes < bytes.size()) {
        giveUp(*pending);
        return false;
    }
    resolve(pending, bytes, length);
    return true;
}
