// Parsing speed of recordings in each format, detection included (the replay adapter loads
// whole files at selection), and of a candump file streamed in pieces (the console commands).
#include "can/recordingreader.h"
#include "support/mf4builder.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

namespace {

constexpr int Lines = 20000;

QByteArray hexId(int i)
{
    return QByteArray::number(0x18FEF100 + (i % 64), 16).toUpper().rightJustified(8, '0');
}

QByteArray candump()
{
    QByteArray text;
    for (int i = 0; i < Lines; ++i)
        text += "(1622547830." + QByteArray::number(100000 + (i % 1000) * 100) + ") can0 "
                + hexId(i) + "#0102F0040506F0F8\n";
    return text;
}

QByteArray asc()
{
    QByteArray text = "date Wed Jun 3 10:15:27.123 am 2020\nbase hex  timestamps absolute\n"
                      "internal events logged\nBegin Triggerblock Wed Jun 3 10:15:27.123 am 2020\n";
    for (int i = 0; i < Lines; ++i)
        text += "   " + QByteArray::number(i / 1000) + "." + QByteArray::number(100000 + i % 1000)
                + " 1  " + hexId(i) + "x       Rx   d 8 01 02 F0 04 05 06 F0 F8\n";
    return text + "End TriggerBlock\n";
}

QByteArray trc()
{
    QByteArray text = ";$FILEVERSION=2.1\n;$STARTTIME=43133.7894660301\n"
                      ";$COLUMNS=N,O,T,B,I,d,R,L,D\n";
    for (int i = 0; i < Lines; ++i)
        text += "  " + QByteArray::number(i + 1) + "  " + QByteArray::number(i) + ".250 DT 1 "
                + hexId(i) + " Rx - 8  01 02 F0 04 05 06 F0 F8\n";
    return text;
}

void parse(benchmark::State &state, const QByteArray &text)
{
    for (auto _ : state) {
        RecordingReader reader;
        reader.parse(text);
        benchmark::DoNotOptimize(reader.frames().size());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * text.size());
    state.SetItemsProcessed(int64_t(state.iterations()) * Lines);
}

void BM_RecordingCandump(benchmark::State &state)
{
    parse(state, candump());
}
void BM_RecordingAsc(benchmark::State &state)
{
    parse(state, asc());
}
void BM_RecordingTrc(benchmark::State &state)
{
    parse(state, trc());
}
void BM_StreamCandumpFile(benchmark::State &state)
{
    QByteArray text;
    for (int i = 0; i < 10; ++i)
        text += candump();
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("trace.log")));
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) {
        state.SkipWithError("cannot write the recording");
        return;
    }
    file.close();
    for (auto _ : state) {
        RecordingReader reader;
        qint64 frames = 0;
        reader.streamFile(file.fileName(), [&frames](const QVector<TimedFrame> &piece) {
            frames += piece.size();
            return true;
        });
        benchmark::DoNotOptimize(frames);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * text.size());
    state.SetItemsProcessed(int64_t(state.iterations()) * Lines * 10);
}

// A logger's MF4 file of a million frames (unsorted, data bytes in a VLSD group), read from disk.
void BM_StreamMf4File(benchmark::State &state)
{
    constexpr int Frames = 1000000;
    QVector<Mf4Builder::Frame> frames(Frames);
    for (int i = 0; i < Frames; ++i) {
        frames[i].timeNs = qint64(i) * 250000;
        frames[i].id = 0x18FEF100 + quint32(i % 64);
        frames[i].data = QByteArray("\x01\x02\xF0\x04\x05\x06\xF0\xF8", 8);
    }
    Mf4Builder::Options options;
    options.finalized = false;
    options.bytes = Mf4Builder::Bytes::Vlsd;
    const QByteArray content = Mf4Builder().build(frames, options);
    frames.clear();
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("trace.mf4")));
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()) {
        state.SkipWithError("cannot write the recording");
        return;
    }
    file.close();
    for (auto _ : state) {
        RecordingReader reader;
        qint64 read = 0;
        reader.streamFile(file.fileName(), [&read](const QVector<TimedFrame> &piece) {
            read += piece.size();
            return true;
        });
        if (read != Frames)
            state.SkipWithError("frames missing");
        benchmark::DoNotOptimize(read);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * content.size());
    state.SetItemsProcessed(int64_t(state.iterations()) * Frames);
}

BENCHMARK(BM_RecordingCandump);
BENCHMARK(BM_StreamCandumpFile);
BENCHMARK(BM_RecordingAsc);
BENCHMARK(BM_RecordingTrc);
BENCHMARK(BM_StreamMf4File)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
