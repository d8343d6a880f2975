// Frames per second of the bus check: the demo recording (about 32,000 frames) played through
// the decoder with the example scheme, once only decoded and once decoded and checked against
// the scheme's expectations, from frames already read; and the learner on the same frames.
// The difference between the first two is what the check costs per frame.
#include "benchsupport.h"
#include "buscheck/buschecker.h"
#include "buscheck/buslearner.h"
#include "can/candumpreader.h"
#include "cli/recordingdecoder.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

namespace {

enum Use { DecodeOnly, Check, Learn };

const QVector<TimedFrame> &demoFrames()
{
    static const QVector<TimedFrame> frames = [] {
        QFile file(QStringLiteral(":/demo/demo-bus.log"));
        CandumpReader reader;
        if (file.open(QIODevice::ReadOnly))
            reader.parse(file.readAll());
        return reader.frames();
    }();
    return frames;
}

QString demoScheme()
{
    // The decoder reads a scheme from a file: the example scheme copied out of the resources.
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("demo.tvsx"));
    if (!QFile::exists(path))
        QFile::copy(QStringLiteral(":/demo/demo.tvsx"), path);
    return path;
}

void BM_Play(benchmark::State &state)
{
    const QVector<TimedFrame> &frames = demoFrames();
    if (frames.isEmpty()) {
        state.SkipWithError("no demo recording");
        return;
    }
    const Use use = Use(state.range(0));
    qint64 deviations = 0;
    for (auto _ : state) {
        RecordingDecoder decoder;
        QString error;
        if (!decoder.loadScheme(demoScheme(), &error)) {
            state.SkipWithError(qPrintable(error));
            return;
        }
        decoder.setAutoDetect(false);
        BusChecker checker;
        BusLearner learner;
        if (use == Check)
            checker.setDevices(decoder.devices());
        for (const TimedFrame &frame : frames) {
            DispatchResult result(DispatchResult::Received, frame.timeUs / 1000);
            decoder.feed(frame, &result);
            if (use == Check)
                checker.take(frame.message, frame.timeUs, result.item);
            else if (use == Learn)
                learner.take(frame.message, frame.timeUs, result.item);
        }
        checker.finish(frames.last().timeUs);
        deviations = checker.deviations().size();
        benchmark::DoNotOptimize(deviations);
    }
    state.SetItemsProcessed(state.iterations() * frames.size());
    if (use == Check)
        state.counters["deviations"] = double(deviations);
}
BENCHMARK(BM_Play)
    ->Arg(DecodeOnly)
    ->Arg(Check)
    ->Arg(Learn)
    ->ArgName("decode0_check1_learn2")
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runConsoleBenchmarks(argc, argv);
}
