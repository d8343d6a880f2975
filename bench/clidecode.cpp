// Frames per second of "tarvik-cli decode": the demo recording (about 32,000 frames of a
// machine's bus) played through RecordingDecoder with auto-detection from the built-in library,
// from frames already read; and the candump reading of the same recording.
#include "benchsupport.h"
#include "can/candumpreader.h"
#include "cli/recordingdecoder.h"

#include <QCoreApplication>
#include <QFile>

namespace {

QByteArray demoRecording()
{
    QFile file(QStringLiteral(":/demo/demo-bus.log"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void BM_DecodeRecording(benchmark::State &state)
{
    CandumpReader reader;
    reader.parse(demoRecording());
    const QVector<TimedFrame> &frames = reader.frames();
    if (frames.isEmpty()) {
        state.SkipWithError("no demo recording");
        return;
    }
    for (auto _ : state) {
        RecordingDecoder decoder;
        qint64 dispatched = 0;
        for (const TimedFrame &frame : frames) {
            DispatchResult result(DispatchResult::Received, frame.timeUs / 1000);
            decoder.feed(frame, &result);
            dispatched += result.status.testFlag(DispatchResult::Dispatched);
        }
        benchmark::DoNotOptimize(dispatched);
    }
    state.SetItemsProcessed(state.iterations() * frames.size());
}
BENCHMARK(BM_DecodeRecording)->Unit(benchmark::kMillisecond);

void BM_ReadRecording(benchmark::State &state)
{
    const QByteArray text = demoRecording();
    qint64 frames = 0;
    for (auto _ : state) {
        CandumpReader reader;
        reader.parse(text);
        frames = reader.frames().size();
        benchmark::DoNotOptimize(frames);
    }
    state.SetItemsProcessed(state.iterations() * frames);
}
BENCHMARK(BM_ReadRecording)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runConsoleBenchmarks(argc, argv);
}
