#pragma once

#include "can/abstractcanhandler.h"
#include "can/candumpreader.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QList>
#include <QSet>
#include <QVector>

#include <atomic>

class AbstractDisplayableItem;
class MessageFilter;
class QTextStream;

// Every frame received or sent, newest first, at most 200000. A row keeps the frame compactly
// and builds its texts when asked, so a full table stays small. GUI thread.
class RawDataModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int RowLimit = 200000;
    // The bus column is there while the window has several buses.
    enum Column { RawColumn, DecodedColumn, TimeColumn, BusColumn };

    struct Row
    {
        quint32 index = 0;
        quint32 id = 0;
        quint8 data[8] = {0, 0, 0, 0, 0, 0, 0, 0};
        quint8 length = 0;
        quint8 status = 0;
        qint8 missedPeriods = -1;
        bool extended = true;
        bool active = true;
        // The text is what the dispatcher decoded from the item's values, not a transport text.
        bool decoded = false;
        quint8 bus = 0;
        qint64 timing = 0;
        AbstractDisplayableItem *item = nullptr;
        QString text;

        QString rawText() const;
        // The "Decoded data" column: a transport text as it is, decoded values after the name
        // of the item that took the frame.
        QString decodedText() const;
    };

    // The rows as they were when taken, oldest first. The model goes on without changing them:
    // the ring is shared until the model next writes to it.
    class Rows
    {
    public:
        int size() const { return m_count; }
        const Row &at(int i) const;

    private:
        friend class RawDataModel;
        QVector<Row> m_ring;
        int m_head = 0;
        int m_count = 0;
    };

    explicit RawDataModel(QObject *parent = nullptr);
    // The adapter whose clock stamps the rows (the bus's elapsed time); none counts from 0.
    void setHandler(const AbstractCanHandler *handler);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void setFilters(const QList<MessageFilter *> &filters);
    // The bus column shown or not.
    void setShowsBus(bool on);
    bool showsBus() const { return m_showsBus; }
    // Only the frames of one bus join the table from now on; -1 takes every bus's.
    void setBusFilter(int bus) { m_busFilter = bus; }
    int busFilter() const { return m_busFilter; }
    // The frames of bus `bus`, their stamps moved by `offsetMs` onto the first bus's clock.
    void addPack(const AbstractCanHandler::MessagePack &pack, int bus, qint64 offsetMs = 0);
    void setActiveDisplayables(const QList<AbstractDisplayableItem *> &items);
    bool isFlowEnabled() const { return m_flowEnabled; }
    const Row &row(int r) const;
    qint64 timing(int r) const { return row(r).timing; }
    // Milliseconds since the view started, shown as seconds with milliseconds: "12.345".
    static QString timeText(qint64 ms);
    // A text as wide as the widest the raw or time column shows in a session (an 8-byte frame
    // the adapter refused, a day's seconds): the view sizes those columns by it.
    static QString widestText(int column);
    // The background of a row whose frame came after that many missed periods (none when on
    // time), and a text colour that reads well on a background.
    static QColor lateTint(int missedPeriods);
    static QColor textColourOn(const QColor &background);
    void save(QTextStream &stream) const;
    // Writes the rows oldest first as a candump log (can-utils), stamped `baseEpochMs` plus each
    // row's timing. Frames the adapter refused were never on the bus and are left out.
    void saveCandump(QTextStream &stream, qint64 baseEpochMs) const;
    // The same frames as saveCandump, oldest first, for the recording writers.
    QVector<TimedFrame> frames(qint64 baseEpochMs) const;
    Rows rows() const;
    // One row as save() writes it; as saveCandump() writes it and as frames() gives it, false
    // for a frame the adapter refused (left out).
    static void writeRow(QTextStream &stream, const Row &row);
    static bool writeCandumpRow(QTextStream &stream, const Row &row, qint64 baseEpochMs);
    static bool frameOf(const Row &row, qint64 baseEpochMs, TimedFrame *frame);
    // Wall-clock time (ms since 1970) at which timing 0 was, as near as the clocks tell.
    qint64 timeBaseEpochMs() const;

public slots:
    void setFlowEnabled(bool enabled);
    void clearModel();
    // The frames of the bus whose clock stamps the rows.
    void slotNotifyPack(const AbstractCanHandler::MessagePack &pack);

private:
    qint64 busElapsed() const;
    bool passes(const QPair<CanMessage, DispatchResult> &pair,
                const QList<MessageFilter *> &enabled) const;
    bool isActive(const AbstractDisplayableItem *item) const;
    // Rows live in a ring: row 0 (the newest) is at m_head.
    int slot(int r) const;

    QVector<Row> m_ring;
    int m_head = 0;
    int m_count = 0;
    quint32 m_nextIndex = 0;
    QList<MessageFilter *> m_filters;
    QSet<const AbstractDisplayableItem *> m_activeItems;
    bool m_flowEnabled = false;
    bool m_showsBus = false;
    int m_busFilter = -1;
    qint64 m_timeBase = 0;
    std::atomic<const AbstractCanHandler *> m_handler{nullptr};
};
