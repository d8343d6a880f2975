// The window's long work against its GUI thread: the longest time between two ticks of a 10 ms
// timer on the GUI thread (longest_gui_wait_ms; 10 when it never waits) while
// - Bus check ▸ Learn takes an hour of traffic from 100 functions sent every 10 ms (200,000 gaps
//   each to sort): range 0 learns on the GUI thread (LiveBusCheck::learn), range 1 as the window
//   does (startLearning, the expectations written when it ends);
// - "Save log" writes the raw view at its 200,000-row limit, as raw view text (range 0),
//   candump (1) or BLF (2);
// - a long service visit's report is written.
// Also the wall time of the whole work (work_ms).
#include "app/jobsession.h"
#include "app/livebuscheck.h"
#include "benchsupport.h"
#include "can/dispatchresult.h"
#include "job/jobreport.h"
#include "job/servicejob.h"
#include "model/devicedispatcher.h"
#include "model/j1939device.h"
#include "model/staticpgnj1939devicefunction.h"
#include "model/zxfloatparameter.h"
#include "scheme/schemecontroller.h"
#include "support/scriptedmainwindow.h"
#include "ui/rawdatamodel.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

constexpr int Functions = 100;
constexpr int PeriodMs = 10;
constexpr qint64 HourMs = 3600 * 1000;

struct Result
{
    double longestWaitMs = 0;
    double workMs = 0;
};

// Starts `work` from the event loop and turns it until `done` holds, timing the GUI thread's
// ticks meanwhile.
Result measure(const std::function<void()> &work, const std::function<bool()> &done)
{
    QEventLoop loop;
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(10);
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = qMax(longest, now - last);
        last = now;
        if (done())
            loop.quit();
    });
    clock.start();
    tick.start();
    QTimer::singleShot(0, &loop, work);
    loop.exec();
    return {double(longest) / 1e6, double(clock.nsecsElapsed()) / 1e6};
}

void BM_LearnHour(benchmark::State &state)
{
    QList<AbstractDisplayableItem *> devices;
    auto *device = new J1939Device(0x10);
    QList<AbstractDisplayableItem *> functions;
    for (int f = 0; f < Functions; ++f)
        functions << new BenchFunction(quint8(0x10 + f), device, 2);
    devices << device;
    LiveBusCheck check;
    for (qint64 t = 0; t < HourMs; t += PeriodMs) {
        AbstractCanHandler::MessagePack pack;
        for (int f = 0; f < Functions; ++f) {
            CanMessage m;
            m.id = 0x18FE0010 | quint32(0x10 + f) << 8;
            m.length = 8;
            DispatchResult r(DispatchResult::Received, t + (t / PeriodMs) % 3);
            r.item = functions.at(f);
            pack.append({m, r});
        }
        check.slotNotifyPack(pack);
    }
    const bool onWorker = state.range(0) != 0;
    Result result;
    int items = 0;
    for (auto _ : state) {
        bool ended = false;
        QObject::connect(&check, &LiveBusCheck::learningEnded, &check, [&] {
            items = check.applyLearned(devices);
            ended = true;
        });
        result = measure(
            [&] {
                if (onWorker) {
                    check.startLearning(60, 10);
                } else {
                    items = check.learn(devices, 60, 10);
                    ended = true;
                }
            },
            [&] { return ended; });
        QObject::disconnect(&check, &LiveBusCheck::learningEnded, &check, nullptr);
    }
    state.counters["longest_gui_wait_ms"] = result.longestWaitMs;
    state.counters["work_ms"] = result.workMs;
    state.counters["items"] = items;
    delete device;
}
BENCHMARK(BM_LearnHour)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("worker")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

void BM_SaveLogAtRowLimit(benchmark::State &state)
{
    static const char *const Names[] = {"log.txt", "log.log", "log.blf"};
    DeviceDispatcher dispatcher;
    ScriptedMainWindow window;
    for (quint8 address = 0; address < 30; ++address) {
        auto *device = new J1939Device(address);
        device->setName(QStringLiteral("Device %1").arg(address));
        for (int f = 0; f < 5; ++f)
            new BenchFunction(quint8(0x10 + f), device, 2);
        window.addDisplayable(device);
        dispatcher.registerDisplayable(device);
    }
    window.show();
    RawDataModel *raw = window.rawDataModel();
    for (quint32 sequence = 0; raw->rowCount() < RawDataModel::RowLimit;) {
        AbstractCanHandler::MessagePack pack;
        for (int i = 0; i < 1000; ++i, ++sequence) {
            CanMessage m;
            m.id = 0x18FE0000 | quint32(0x10 + sequence % 5) << 8 | quint32((sequence / 5) % 30);
            m.length = 8;
            for (int b = 0; b < 8; ++b)
                m.data[b] = quint8(sequence * 13 + b * 29);
            DispatchResult r(DispatchResult::Received, qint64(sequence));
            dispatcher.dispatchMessage(m, &r);
            pack.append({m, r});
        }
        raw->slotNotifyPack(pack);
    }
    // Paused: the rows stay as they are.
    QAction *rawEnable = window.findChild<QAction *>(QStringLiteral("actionRawEnable"));
    rawEnable->trigger();
    QAction *save = window.findChild<QAction *>(QStringLiteral("actionSaveLog"));
    QTemporaryDir dir;
    window.fileAnswer = dir.filePath(QLatin1String(Names[state.range(0)]));
    Result result;
    for (auto _ : state) {
        window.statusBar()->clearMessage();
        result = measure([&] { save->trigger(); },
                         [&] {
                             return window.statusBar()->currentMessage().contains(
                                        QLatin1String(" saved to "))
                                    || !window.errors.isEmpty();
                         });
    }
    if (!window.errors.isEmpty())
        state.SkipWithError(qPrintable(window.errors.first()));
    state.counters["longest_gui_wait_ms"] = result.longestWaitMs;
    state.counters["work_ms"] = result.workMs;
    state.counters["rows"] = raw->rowCount();
    rawEnable->trigger(); // the choice is kept in the settings
    window.schemeController()->clearScheme();
}
BENCHMARK(BM_SaveLogAtRowLimit)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->ArgName("text0_candump1_blf2")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// A long visit's job: 500 changes and 40 fault snapshots with their plots. Its report (HTML and
// PDF) written on the GUI thread (range 0) or as the window writes it now (1).
void BM_JobReport(benchmark::State &state)
{
    QTemporaryDir dir;
    QString error;
    ServiceJob::Header header{QStringLiteral("SN4711"), QStringLiteral("VIN1"),
                              QStringLiteral("Order 118"), QStringLiteral("Engineer"),
                              QStringLiteral("Leak")};
    std::unique_ptr<ServiceJob> job = ServiceJob::create(dir.path(), header, &error);
    if (!job) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    QVector<ServiceJournal::Entry> entries;
    for (int i = 0; i < 500; ++i) {
        ServiceJournal::Entry e;
        e.time = QDateTime::currentDateTimeUtc();
        e.kind = ServiceJournal::MemoryWrite;
        e.unit = QStringLiteral("Engine #1 (0x00)");
        e.summary = QStringLiteral("Wrote parameter %1").arg(i);
        for (int d = 0; d < 4; ++d)
            e.details << QStringLiteral("Parameter %1.%2: %3 → %4").arg(i).arg(d).arg(i).arg(i + d);
        entries << e;
    }
    QFile changes(QDir(job->dir()).filePath(ServiceJob::ChangesFile));
    if (!changes.open(QIODevice::WriteOnly)
        || changes.write(ServiceJob::changesToBytes(entries)) < 0) {
        state.SkipWithError("cannot write the changes");
        return;
    }
    changes.close();
    QImage plot(900, 420, QImage::Format_RGB32);
    plot.fill(Qt::white);
    QPainter painter(&plot);
    for (int x = 0; x < 900; x += 3)
        painter.drawLine(x, 200 + (x * 37) % 150, x + 3, 200 + ((x + 3) * 37) % 150);
    painter.end();
    QString index = QStringLiteral("{\"version\":1,\"snapshots\":[");
    for (int i = 1; i <= 40; ++i) {
        const QString folder = QStringLiteral("%1-0x00-spn110").arg(i, 3, 10, QLatin1Char('0'));
        QDir(job->snapshotsDir()).mkpath(folder);
        plot.save(QDir(job->snapshotsDir()).filePath(folder + QStringLiteral("/plot.png")));
        index
            += QStringLiteral("%1{\"id\":%2,\"time\":\"2026-12-07T14:15:00Z\",\"timeUs\":1,"
                              "\"unit\":0,\"unitName\":\"Engine #1\",\"change\":\"SPN 110 FMI 0 "
                              "appeared\",\"fromUs\":0,\"toUs\":2,\"frames\":1234,\"dir\":\"%3\"}")
                   .arg(i > 1 ? QStringLiteral(",") : QString())
                   .arg(i)
                   .arg(folder);
    }
    index += QStringLiteral("]}");
    QFile indexFile(QDir(job->snapshotsDir()).filePath(QStringLiteral("index.json")));
    indexFile.open(QIODevice::WriteOnly);
    indexFile.write(index.toUtf8());
    indexFile.close();
    if (!job->finish(ServiceJob::Health(), &error)) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    JobSession session;
    if (!session.open(job->dir(), &error)) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    const bool onWorker = state.range(0) != 0;
    bool written = false;
    Result result;
    for (auto _ : state) {
        bool ended = false;
        QObject::connect(&session, &JobSession::reportEnded, &session, [&](bool ok) {
            written = ok;
            ended = true;
        });
        result = measure(
            [&] {
                if (onWorker) {
                    session.startReport();
                    return;
                }
                written = JobReport::writeHtml(job->dir(),
                                               job->filePath(QStringLiteral("report.html")), &error)
                          && JobReport::writePdf(job->dir(),
                                                 job->filePath(QStringLiteral("report.pdf")),
                                                 QPageSize::A4, &error);
                ended = true;
            },
            [&] { return ended; });
        QObject::disconnect(&session, &JobSession::reportEnded, &session, nullptr);
    }
    if (!written)
        state.SkipWithError("the report was not written");
    state.counters["longest_gui_wait_ms"] = result.longestWaitMs;
    state.counters["work_ms"] = result.workMs;
}
BENCHMARK(BM_JobReport)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("worker")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    return runWindowBenchmarks(argc, argv);
}
