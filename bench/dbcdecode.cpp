// CPU time per frame of decoding J1939 frames with the library alone and with a DBC database of
// 1,000 J1939 messages put before the library, in the same run: a generated trace of 30 engines
// (EEC1 every 20 ms, CCVS1 every 100 ms, ET1, HOURS and LFE1 every second) through
// RecordingDecoder. The database holds the library's groups as export-dbc writes them, so the
// trace's groups are the database's, and 1,000 messages in all with made-up groups of eight
// byte signals. Steady state (the units detected before the timing) and with the detection.
#include "benchsupport.h"
#include "cli/dbcwriter.h"
#include "cli/recordingdecoder.h"
#include "descriptions/candevicefactory.h"
#include "descriptions/dbcreader.h"

#include <QCoreApplication>

#include <memory>

namespace {

constexpr int Units = 30;
constexpr int Messages = 1000;
constexpr qint64 TraceUs = 20 * 1000 * 1000;

enum Decoding { Library, Dbc };

struct Group
{
    quint32 id; // without the source address
    qint64 periodUs;
};

QVector<TimedFrame> trace()
{
    static const QVector<TimedFrame> frames = [] {
        // EEC1, CCVS1, ET1, HOURS and LFE1 as the units send them.
        const Group groups[] = {{0x0CF00400, 20000},
                                {0x18FEF100, 100000},
                                {0x18FEEE00, 1000000},
                                {0x18FEE500, 1000000},
                                {0x18FEF200, 1000000}};
        QVector<TimedFrame> list;
        for (qint64 t = 0; t < TraceUs; t += 20000) {
            for (const Group &g : groups) {
                if (t % g.periodUs != 0)
                    continue;
                for (int unit = 0; unit < Units; ++unit) {
                    TimedFrame f;
                    f.timeUs = t + unit * 100;
                    f.message.id = g.id | quint32(unit);
                    f.message.extended = true;
                    f.message.length = 8;
                    const qint64 k = t / g.periodUs;
                    for (int b = 0; b < 8; ++b)
                        f.message.data[b] = quint8((k * 7 + unit * 13 + b * 29) % 0xFA);
                    list.append(f);
                }
            }
        }
        return list;
    }();
    return frames;
}

// The library as export-dbc writes it, then made-up groups (proprietary-free PDU2 groups of the
// second data page) up to the database's size.
CanDeviceFactory::Databases database()
{
    static const CanDeviceFactory::Databases databases = [] {
        QByteArray text = DbcWriter::write(DbcWriter::libraryFunctions());
        const int library = text.count("\nBO_ ");
        // Before the library's messages; the frame format's default is J1939PG.
        QByteArray made;
        for (int i = 0; library + i < Messages; ++i) {
            const quint32 id = 0x80000000u | 0x18000000u | (0x1F000u + quint32(i)) << 8 | 0xFE;
            made += "BO_ " + QByteArray::number(id) + " Made" + QByteArray::number(i)
                    + ": 8 Vector__XXX\n";
            for (int s = 0; s < 8; ++s)
                made += " SG_ S" + QByteArray::number(s) + " : " + QByteArray::number(s * 8)
                        + "|8@1+ (0.5,-10) [-10|115] \"unit\" Vector__XXX\n";
            made += '\n';
        }
        text.insert(text.indexOf("\nBO_ ") + 1, made);
        DbcReader reader;
        if (!reader.parse(text, QStringLiteral("bench.dbc")))
            return CanDeviceFactory::Databases();
        auto db = std::make_shared<DbcDatabase>(reader.database());
        db->winsOverLibrary = true;
        return CanDeviceFactory::Databases{db};
    }();
    return databases;
}

void feed(RecordingDecoder *decoder, const QVector<TimedFrame> &frames, qint64 *dispatched)
{
    for (const TimedFrame &frame : frames) {
        DispatchResult result(DispatchResult::Received, frame.timeUs / 1000);
        decoder->feed(frame, &result);
        *dispatched += result.status.testFlag(DispatchResult::Dispatched);
    }
}

std::unique_ptr<RecordingDecoder> decoder(Decoding decoding)
{
    auto made = std::make_unique<RecordingDecoder>();
    if (decoding == Dbc)
        made->setDbcDatabases(database());
    return made;
}

bool ready(benchmark::State &state, Decoding decoding)
{
    if (trace().isEmpty() || (decoding == Dbc && database().isEmpty())) {
        state.SkipWithError("no trace or no database");
        return false;
    }
    if (decoding == Dbc && database().constFirst()->messages.size() != Messages) {
        state.SkipWithError("the database is not of 1,000 messages");
        return false;
    }
    return true;
}

void report(benchmark::State &state, qint64 dispatched)
{
    const qint64 frames = trace().size();
    state.SetItemsProcessed(state.iterations() * frames);
    // Seconds of CPU per frame, shown in the counter's unit.
    state.counters["per_frame"]
        = benchmark::Counter(double(frames), benchmark::Counter::kIsIterationInvariantRate
                                                 | benchmark::Counter::kInvert);
    state.counters["dispatched"] = double(dispatched) / double(state.iterations()) / double(frames);
}

// The units detected once, then the trace over and over: the cost of a frame's decoding.
void BM_DecodeSteady(benchmark::State &state)
{
    const Decoding decoding = Decoding(state.range(0));
    if (!ready(state, decoding))
        return;
    std::unique_ptr<RecordingDecoder> d = decoder(decoding);
    qint64 warm = 0;
    feed(d.get(), trace(), &warm);
    qint64 dispatched = 0;
    for (auto _ : state)
        feed(d.get(), trace(), &dispatched);
    benchmark::DoNotOptimize(dispatched);
    report(state, dispatched);
}
BENCHMARK(BM_DecodeSteady)->ArgName("dbc")->Arg(Library)->Arg(Dbc)->Unit(benchmark::kMillisecond);

// A fresh decoder per pass: the detection of every unit and its functions counts too.
void BM_DecodeWithDetection(benchmark::State &state)
{
    const Decoding decoding = Decoding(state.range(0));
    if (!ready(state, decoding))
        return;
    qint64 dispatched = 0;
    for (auto _ : state) {
        std::unique_ptr<RecordingDecoder> d = decoder(decoding);
        feed(d.get(), trace(), &dispatched);
    }
    benchmark::DoNotOptimize(dispatched);
    report(state, dispatched);
}
BENCHMARK(BM_DecodeWithDetection)
    ->ArgName("dbc")
    ->Arg(Library)
    ->Arg(Dbc)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runConsoleBenchmarks(argc, argv);
}
