// The player's memory against a recording's length: a generated candump recording of 1 and 10
// million frames (a busy 250 kbit/s bus, 4000 frames a second) is chosen, read whole in the
// background and played from its middle. The heap it holds stays about the same whatever the
// length; the spool on disk grows with it. Also how fast the reading fills the spool.
#include "benchsupport.h"
#include "can/replaycanhandler.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

qint64 heapInUse()
{
#ifdef __GLIBC__
    return qint64(mallinfo2().uordblks);
#else
    return 0;
#endif
}

bool writeRecording(const QString &path, qint64 frames)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    static const char *const Ids[] = {"0CF00400", "18FEF100", "18FEEE00", "18FF30A0"};
    QByteArray text;
    char line[80];
    for (qint64 i = 0; i < frames; ++i) {
        const qint64 us = i * 250;
        const int n = std::snprintf(line, sizeof line, "(%lld.%06lld) can0 %s#%016llX\n",
                                    1600000000LL + us / 1000000, us % 1000000, Ids[i % 4],
                                    static_cast<unsigned long long>(i * 2654435761ULL));
        text.append(line, n);
        if (text.size() > (1 << 22) || i == frames - 1) {
            if (file.write(text) != text.size())
                return false;
            text.clear();
        }
    }
    return true;
}

void BM_StreamedRecording(benchmark::State &state)
{
    const qint64 frames = state.range(0);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("long.log"));
    if (!writeRecording(path, frames)) {
        state.SkipWithError("cannot write the recording");
        return;
    }
    for (auto _ : state) {
        const qint64 heapBefore = heapInUse();
        QElapsedTimer clock;
        clock.start();
        ReplayCanHandler handler(nullptr);
        if (!handler.setTransceiver(handler.addRecording(path)) || !handler.start()) {
            state.SkipWithError("cannot play the recording");
            return;
        }
        const double startMs = double(clock.nsecsElapsed()) / 1e6;
        while (handler.readingPercent() >= 0)
            QThread::msleep(10);
        const double readS = double(clock.nsecsElapsed()) / 1e9;
        handler.setSpeed(ReplayCanHandler::AsFastAsPossible);
        handler.seek(handler.durationUs() / 2);
        // A few batches: the played frames wait in the handler's queue, the same for any length.
        for (int i = 0; i < 20; ++i)
            handler.receiveMessages();
        state.counters["start_ms"] = startMs;
        state.counters["frames_per_s"] = double(handler.loadedFrameCount()) / readS;
        state.counters["held_MB"] = double(handler.memoryBytes()) / 1e6;
        state.counters["heap_MB"] = double(heapInUse() - heapBefore) / 1e6;
        state.counters["file_MB"] = double(QFile(path).size()) / 1e6;
    }
}
BENCHMARK(BM_StreamedRecording)
    ->Arg(1000000)
    ->Arg(10000000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    initTarvikResources();
    registerCanMetaTypes();
    return runBenchmarks(argc, argv);
}
