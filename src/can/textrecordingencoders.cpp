#include "can/recordingencoder.h"

#include <QDateTime>
#include <QLocale>

#include <array>
#include <cstdio>

namespace {

// Seconds since 30 December 1899, the epoch of PEAK's $STARTTIME, before 1970.
constexpr qint64 TraceEpochToUnixSeconds = 2209161600LL;
// $STARTTIME holds days with ten decimals: steps of 8.64 us, whole microseconds every 216 us.
constexpr qint64 TraceStartStepUs = 216;
constexpr qint64 TraceStartStepScaledDays = 25;

void appendHex(QByteArray *out, const CanMessage &m, const char *separator)
{
    static const char digits[] = "0123456789ABCDEF";
    for (int i = 0; i < m.length && i < CanMessage::MaxLength; ++i) {
        if (separator && i > 0)
            out->append(separator);
        out->append(digits[m.data[i] >> 4]);
        out->append(digits[m.data[i] & 0xF]);
    }
}

// "(1436509052.249713) can0 18FEF100#0102030405060708", the format of can-utils. The interface is
// the bus's name.
class CandumpEncoder : public RecordingEncoder
{
public:
    void begin(qint64, QByteArray *) override {}
    void encode(const TimedFrame &frame, QByteArray *out) override
    {
        const qint64 us = clamp(frame.timeUs, 0);
        char line[64];
        const CanMessage &m = frame.message;
        int n = std::snprintf(line, sizeof line, "(%lld.%06lld) ",
                              static_cast<long long>(us / 1000000),
                              static_cast<long long>(us % 1000000));
        out->append(line, n);
        out->append(interfaceName(frame.bus));
        n = std::snprintf(line, sizeof line, m.extended ? " %08X#" : " %03X#",
                          m.id & (m.extended ? 0x1FFFFFFFu : 0x7FFu));
        out->append(line, n);
        appendHex(out, m, nullptr);
        out->append('\n');
    }

protected:
    void busNamesChanged() override { m_names.fill(QByteArray()); }

private:
    // A name without blanks, so that the line reads back; its bus's name is looked up once.
    const QByteArray &interfaceName(quint8 bus)
    {
        QByteArray &name = m_names[bus];
        if (name.isEmpty()) {
            name = busNames().name(bus).toUtf8();
            if (name.isEmpty() || name.contains(' ') || name.contains('\t'))
                name = BusNames::defaultName(bus).toLatin1();
        }
        return name;
    }

    std::array<QByteArray, BusNames::MaxBus + 1> m_names;
};

// Vector ASC with absolute stamps counted from the header's date, which keeps milliseconds in
// local time: the date is the first frame's millisecond, the stamps add the microseconds.
class AscEncoder : public RecordingEncoder
{
public:
    void begin(qint64 firstUs, QByteArray *out) override
    {
        const qint64 startMs
            = firstUs >= RecordingEncoders::AbsoluteTimeFromUs ? firstUs / 1000 : 0;
        m_startUs = startMs * 1000;
        const QByteArray date = QLocale::c()
                                    .toString(QDateTime::fromMSecsSinceEpoch(startMs),
                                              QStringLiteral("ddd MMM d hh:mm:ss.zzz yyyy"))
                                    .toLatin1();
        out->append("date " + date
                    + "\nbase hex  timestamps absolute\n"
                      "internal events logged\n// version 13.0.0\nBegin Triggerblock "
                    + date + "\n   0.000000 Start of measurement\n");
    }
    void encode(const TimedFrame &frame, QByteArray *out) override
    {
        const qint64 us = clamp(frame.timeUs, m_startUs) - m_startUs;
        const CanMessage &m = frame.message;
        char id[16];
        std::snprintf(id, sizeof id, m.extended ? "%Xx" : "%X",
                      m.id & (m.extended ? 0x1FFFFFFFu : 0x7FFu));
        char line[96];
        const int n = std::snprintf(line, sizeof line, "%4lld.%06lld %-2u %-15s Rx   d %d ",
                                    static_cast<long long>(us / 1000000),
                                    static_cast<long long>(us % 1000000),
                                    BusNames::channelOfBus(frame.bus), id, int(m.length));
        out->append(line, n);
        appendHex(out, m, " ");
        out->append('\n');
    }
    void end(QByteArray *out) override { out->append("End TriggerBlock\n"); }

private:
    qint64 m_startUs = 0;
};

// PEAK trace 2.1. The start time is in days, exact to the microsecond only on a 216 us grid:
// it is put on that grid at or before the first frame, and the offsets carry the rest.
class TrcEncoder : public RecordingEncoder
{
public:
    void begin(qint64 firstUs, QByteArray *out) override
    {
        out->append(";$FILEVERSION=2.1\n");
        if (firstUs >= RecordingEncoders::AbsoluteTimeFromUs) {
            const qint64 traceUs = firstUs + TraceEpochToUnixSeconds * 1000000;
            const qint64 steps = traceUs / TraceStartStepUs;
            m_startUs = steps * TraceStartStepUs - TraceEpochToUnixSeconds * 1000000;
            const qint64 scaledDays = steps * TraceStartStepScaledDays;
            char start[64];
            const int n = std::snprintf(start, sizeof start, ";$STARTTIME=%lld.%010lld\n",
                                        static_cast<long long>(scaledDays / 10000000000LL),
                                        static_cast<long long>(scaledDays % 10000000000LL));
            out->append(start, n);
        }
        out->append(";$COLUMNS=N,O,T,B,I,d,R,L,D\n;\n;   Generated by Tarvik\n"
                    ";   Message   Time    Type ID     Rx/Tx\n"
                    ";   Number    Offset  |    Bus  [hex]  |  Reserved\n"
                    ";   |         [ms]    |    |    |      |  |  Data Length\n"
                    ";   |         |       |    |    |      |  |  |  Data [hex] ...\n"
                    ";---+-- ------+------ +- --+- --+----- +- +- +- -- -- -- -- -- -- -- --\n");
    }
    void encode(const TimedFrame &frame, QByteArray *out) override
    {
        const qint64 us = clamp(frame.timeUs, m_startUs) - m_startUs;
        const CanMessage &m = frame.message;
        char line[96];
        const int n
            = std::snprintf(line, sizeof line,
                            m.extended ? "%7lld %9lld.%03lld DT %-4u %08X Rx -  %d    "
                                       : "%7lld %9lld.%03lld DT %-4u     %04X Rx -  %d    ",
                            ++m_number, static_cast<long long>(us / 1000),
                            static_cast<long long>(us % 1000), BusNames::channelOfBus(frame.bus),
                            m.id & (m.extended ? 0x1FFFFFFFu : 0x7FFu), int(m.length));
        out->append(line, n);
        appendHex(out, m, " ");
        out->append('\n');
    }

private:
    qint64 m_startUs = 0;
    long long m_number = 0;
};

} // namespace

namespace RecordingEncoders {

std::unique_ptr<RecordingEncoder> candump()
{
    return std::make_unique<CandumpEncoder>();
}

std::unique_ptr<RecordingEncoder> asc()
{
    return std::make_unique<AscEncoder>();
}

std::unique_ptr<RecordingEncoder> trc()
{
    return std::make_unique<TrcEncoder>();
}

} // namespace RecordingEncoders
