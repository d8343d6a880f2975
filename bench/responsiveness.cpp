// The GUI thread's cost of one notifier tick at full load, with the window shown offscreen: the
// raw view takes a 50 ms batch of a saturated 1 Mbit/s bus (382 frames) while its table is at the
// 200000-row limit, and the scheme tree refreshes a 30-device scheme whose items all changed.
// Also the heap held per raw row at the limit, and the same tick with 20 plotted parameters that
// hold an hour of history, the cost of redrawing that plot, and the heap held per plotted point.
#include "benchsupport.h"
#include "can/abstractcanhandler.h"
#include "can/dispatchresult.h"
#include "can/guimessagenotifier.h"
#include "model/abstractdisplayableitem.h"
#include "model/devicedispatcher.h"
#include "model/j1939device.h"
#include "model/staticpgnj1939devicefunction.h"
#include "model/zxfloatparameter.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemecontroller.h"
#include "scheme/schemetreemodel.h"
#include "ui/editors/plotdocks.h"
#include "ui/editors/plotwidget.h"
#include "ui/editors/rawdataview.h"
#include "ui/mainwindow.h"
#include "ui/rawdatamodel.h"

#include <QApplication>
#include <QDateTime>
#include <QDockWidget>
#include <QScrollBar>
#include <QTableView>
#include <QTreeView>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <memory>

namespace {

constexpr int FramesPerTick = 382; // 50 ms of back-to-back 128-bit frames at 1 Mbit/s
constexpr qint64 PlotHistoryMs = 3600 * 1000;

struct Window
{
    DeviceDispatcher dispatcher;
    std::unique_ptr<MainWindow> window;
    quint32 sequence = 0;

    Window()
    {
        window = std::make_unique<MainWindow>();
        for (quint8 address = 0; address < 30; ++address) {
            auto *device = new J1939Device(address);
            device->setName(QStringLiteral("Device %1").arg(address));
            for (int f = 0; f < 5; ++f)
                new BenchFunction(quint8(0x10 + f), device);
            window->addDisplayable(device);
            // The batches are dispatched as on the bus thread: decoded, with their items.
            dispatcher.registerDisplayable(device);
        }
        window->mainView()->expandAll();
        window->resize(1280, 900);
        window->show();
        QApplication::processEvents();
    }
    ~Window() { window->schemeController()->clearScheme(); }

    // A tick's batch as the bus thread hands it over: dispatched, with results.
    AbstractCanHandler::MessagePack nextPack()
    {
        AbstractCanHandler::MessagePack pack;
        pack.reserve(FramesPerTick);
        for (int i = 0; i < FramesPerTick; ++i, ++sequence) {
            CanMessage m;
            m.id = 0x18FE0000 | quint32(0x10 + sequence % 5) << 8 | quint32((sequence / 5) % 30);
            for (int b = 0; b < 8; ++b)
                m.data[b] = quint8(sequence * 13 + b * 29);
            DispatchResult r(DispatchResult::Received, qint64(sequence));
            dispatcher.dispatchMessage(m, &r);
            pack.append({m, r});
        }
        return pack;
    }

    void fill(int rows)
    {
        while (window->rawDataModel()->rowCount() < rows)
            window->rawDataModel()->slotNotifyPack(nextPack());
    }
};

size_t heapInUse()
{
#ifdef __GLIBC__
    return mallinfo2().uordblks;
#else
    return 0;
#endif
}

void BM_NotifierTickAtRowLimit(benchmark::State &state)
{
    Window w;
    w.fill(RawDataModel::RowLimit);
    for (auto _ : state) {
        state.PauseTiming();
        const AbstractCanHandler::MessagePack pack = w.nextPack();
        state.ResumeTiming();
        // What one notifier tick runs on the GUI thread, repaint included.
        w.window->rawDataModel()->slotNotifyPack(pack);
        w.window->schemeModel()->checkForUpdates();
        QApplication::processEvents();
    }
    state.counters["rows"] = w.window->rawDataModel()->rowCount();
    state.counters["frames_per_tick"] = FramesPerTick;
}
BENCHMARK(BM_NotifierTickAtRowLimit)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The same tick while the raw view holds its rows ("follow" off, a row selected): the view moves
// down with the inserted rows so the rows on the screen stay where they are.
void BM_NotifierTickAtRowLimitHoldingRows(benchmark::State &state)
{
    Window w;
    w.fill(RawDataModel::RowLimit);
    auto *view = w.window->findChild<RawDataView *>(QStringLiteral("rawDataView"));
    view->setFollowing(false);
    view->verticalScrollBar()->setValue(1000);
    view->selectRow(1005);
    QApplication::processEvents();
    for (auto _ : state) {
        state.PauseTiming();
        const AbstractCanHandler::MessagePack pack = w.nextPack();
        state.ResumeTiming();
        w.window->rawDataModel()->slotNotifyPack(pack);
        w.window->schemeModel()->checkForUpdates();
        QApplication::processEvents();
    }
    state.counters["rows"] = w.window->rawDataModel()->rowCount();
    state.counters["first_row_shown"] = view->rowAt(0);
    view->setFollowing(true); // the choice is kept in the settings
}
BENCHMARK(BM_NotifierTickAtRowLimitHoldingRows)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Decoded texts kept per row (the default), or with "Decode frames" off (range 0).
void BM_RawRowMemory(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        Window w;
        w.dispatcher.setDescribeFrames(state.range(0) != 0);
        const size_t before = heapInUse();
        state.ResumeTiming();
        w.fill(RawDataModel::RowLimit);
        state.PauseTiming();
        const size_t after = heapInUse();
        state.counters["bytes_per_row"]
            = double(after - before) / double(w.window->rawDataModel()->rowCount());
        state.ResumeTiming();
    }
}
BENCHMARK(BM_RawRowMemory)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(1);

// 20 parameters (the four of each of device 0's five functions) plotted with an hour of history
// at 10 Hz, the window's plot history set to an hour.
PlotWidget *plotTwentyParameters(Window &w)
{
    const auto devices = w.window->schemeModel()->topLevelItems();
    QList<AbstractSchemeTreeItem *> functions = devices.first()->childNodes();
    PlotDocks *docks = w.window->plotDocks();
    docks->setWindowMinutes(60);
    QDockWidget *dock = docks->plotNodes(functions);
    auto *plot = static_cast<PlotWidget *>(dock->widget());
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (qint64 t = now - PlotHistoryMs; t < now; t += 100)
        plot->plotter().sampleNow(t);
    plot->refresh();
    QApplication::processEvents();
    return plot;
}

void BM_NotifierTickWithPlots(benchmark::State &state)
{
    Window w;
    w.fill(RawDataModel::RowLimit);
    PlotWidget *plot = plotTwentyParameters(w);
    // Ticks 50 ms apart on the plot's clock, so the hour's window trims as it would.
    qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (auto _ : state) {
        state.PauseTiming();
        const AbstractCanHandler::MessagePack pack = w.nextPack();
        now += 50;
        state.ResumeTiming();
        // The tick of BM_NotifierTickAtRowLimit and the plot's sampling (what the plot docks do
        // with the pack); the plot redraws on its own timer, which processEvents runs when due.
        w.window->rawDataModel()->slotNotifyPack(pack);
        w.window->schemeModel()->checkForUpdates();
        plot->sample(pack, now);
        QApplication::processEvents();
    }
    state.counters["plotted"] = plot->table().columnCount();
    state.counters["plot_rows"] = double(plot->table().rowCount());
}
BENCHMARK(BM_NotifierTickWithPlots)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// What the plots add to a tick: sampling 20 parameters from a full tick's pack.
void BM_PlotSampling(benchmark::State &state)
{
    Window w;
    PlotWidget *plot = plotTwentyParameters(w);
    qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (auto _ : state) {
        state.PauseTiming();
        const AbstractCanHandler::MessagePack pack = w.nextPack();
        now += 50;
        state.ResumeTiming();
        plot->sample(pack, now);
    }
    state.counters["plot_rows"] = double(plot->table().rowCount());
}
BENCHMARK(BM_PlotSampling)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// One redraw of the plot (every 500 ms while it runs): 20 curves of an hour each.
void BM_PlotRedraw(benchmark::State &state)
{
    Window w;
    PlotWidget *plot = plotTwentyParameters(w);
    for (auto _ : state) {
        plot->refresh();
        QApplication::processEvents();
    }
    state.counters["points"] = double(plot->table().rowCount()) * plot->table().columnCount();
}
BENCHMARK(BM_PlotRedraw)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_PlotPointMemory(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        Window w;
        const size_t before = heapInUse();
        state.ResumeTiming();
        PlotWidget *plot = plotTwentyParameters(w);
        state.PauseTiming();
        const size_t after = heapInUse();
        const double points = double(plot->table().rowCount()) * plot->table().columnCount();
        state.counters["bytes_per_point"] = double(after - before) / points;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PlotPointMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    return runWindowBenchmarks(argc, argv);
}
