#pragma once

#include "job/inventory.h"
#include "job/rawrecorder.h"
#include "job/snapshotcollector.h"
#include "model/transportmonitor.h"

#include <QList>
#include <QMap>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QVector>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class AbstractCanHandler;

// Feeds a service job from the bus: every frame received and sent goes into the raw recording
// and the fault snapshots' ring, and into the inventory while one is being taken; it also
// counts the bus load and the transport sessions that broke off. Frames come on the bus thread
// (received) and on whichever thread sends, so everything inside is guarded by one lock; the
// window takes completed snapshots, inventories and figures from the GUI thread. Stamps are the
// handler's bus clock turned into UTC microseconds at attach().
class JobBusTap : public QObject
{
    Q_OBJECT

public:
    struct Health
    {
        qint64 frames = 0;
        double loadMeanPercent = 0;
        double loadMaxPercent = 0;
        qint64 transportAborts = 0;
        QMap<int, qint64> lastSeenUs; // by unitKey(): every bus's units
    };
    // A unit of any of the tap's buses: its bus number and source address.
    static int unitKey(quint8 bus, quint8 address) { return int(bus) << 8 | address; }

    // Without `rawDir` no raw recording is kept.
    explicit JobBusTap(const QString &rawDir, qint64 partBytes = RawRecorder::DefaultPartBytes,
                       QObject *parent = nullptr);
    ~JobBusTap() override;

    void attach(AbstractCanHandler *handler);
    void detach();
    bool isAttached() const;
    // The window's other buses: their frames join the raw recording with their buses' numbers,
    // and each has an inventory of its own and its units' last frames; the bus load and the
    // snapshots stay with the attached bus. Replaces the buses given before.
    void attachOthers(const QList<AbstractCanHandler *> &handlers);

    void setSnapshotWindow(qint64 beforeUs, qint64 afterUs);
    // Now on the frames' clock (UTC µs); without a handler, `clock` (the wall clock unless
    // replaced).
    qint64 nowUs() const;
    void setClock(std::function<qint64()> clock);

    void startInventory();
    bool isTakingInventory() const;
    // Ends the inventory being taken and hands it over.
    Inventory takeInventory();
    // The other buses' inventories of the same time, by bus number; call before takeInventory().
    QMap<quint8, Inventory> takeOtherInventories();

    // Snapshots whose window has passed by now; `finishing` completes those still collecting.
    QVector<Snapshot> takeSnapshots(bool finishing = false);
    // Units whose first DM1 already held codes.
    QVector<CodeWatcher::Change> takeBaselines();
    int skippedSnapshots() const;

    // The raw recording's data to the disk; its error once it failed.
    void flush();
    QString rawError() const;
    Health health() const;

    // Feeds frames as the handler would (tests and replays without a handler).
    void take(const QVector<CanMessage> &frames);

signals:
    // Completed snapshots wait; emitted on the thread that fed the frame.
    void snapshotsReady();

private:
    struct Other
    {
        QPointer<AbstractCanHandler> handler;
        quint8 bus = 0;
        qint64 originUs = 0;
        QMetaObject::Connection received;
        QMetaObject::Connection sent;
        std::optional<Inventory> inventory;
    };
    // The buses let go, with what they held.
    std::vector<Other> detachOthers();
    void takeOther(const QVector<CanMessage> &frames, const AbstractCanHandler *handler);
    void takeLocked(const QVector<CanMessage> &frames, qint64 timeUs);
    void countLoad(const QVector<CanMessage> &frames, qint64 timeUs);
    qint64 nowUsLocked() const;

    mutable std::mutex m_mutex;
    bool m_readySignalled = false; // snapshotsReady went out and its snapshots wait
    QPointer<AbstractCanHandler> m_handler;
    QMetaObject::Connection m_received;
    QMetaObject::Connection m_sent;
    qint64 m_originUs = 0; // UTC µs at the handler's elapsed time 0
    quint8 m_bus = 0;      // the attached bus's number
    std::vector<Other> m_others;
    std::function<qint64()> m_clock;
    std::unique_ptr<RawRecorder> m_raw;
    SnapshotCollector m_snapshots;
    std::optional<Inventory> m_inventory;
    TransportMonitor m_transport;
    Health m_health;
    qint64 m_loadSecond = -1;
    qint64 m_loadBits = 0;
    qint64 m_loadSeconds = 0;
    double m_loadSum = 0;
    unsigned m_baudRate = 250000;
};
