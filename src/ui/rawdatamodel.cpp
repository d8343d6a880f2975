#include "ui/rawdatamodel.h"

#include "can/abstractcanmessagedispatcher.h"
#include "can/busnames.h"

#include "model/abstractdisplayableitem.h"
#include "model/descriptiontext.h"
#include "ui/messagefilter.h"

#include <QBrush>
#include <QDateTime>
#include <QTextStream>

#include <algorithm>
#include <cmath>

namespace {

void collectWithDescendants(AbstractDisplayableItem *item,
                            QSet<const AbstractDisplayableItem *> *into)
{
    if (!item || !AbstractDisplayableItem::isValid(item))
        return;
    into->insert(item);
    for (AbstractDisplayableItem *child : item->children())
        collectWithDescendants(child, into);
}

} // namespace

QString RawDataModel::Row::rawText() const
{
    CanMessage m(id, data, length);
    m.extended = extended;
    QString out = (status & DispatchResult::Received) ? QStringLiteral("I ") : QStringLiteral("O ");
    out += m.toString();
    out += QLatin1Char(' ');
    if (status & DispatchResult::TransmitError)
        out += QStringLiteral("[TO]");
    return out;
}

QString RawDataModel::Row::decodedText() const
{
    // The item may have gone since the frame came; its name is then no longer known.
    if (!decoded || !item || !AbstractDisplayableItem::isValid(item))
        return text;
    const QString name = DescriptionText::translated(item->name());
    if (text.isEmpty())
        return name;
    return name.isEmpty() ? text : name + QStringLiteral(": ") + text;
}

RawDataModel::RawDataModel(QObject *parent)
    : QAbstractTableModel(parent)
{}

int RawDataModel::slot(int r) const
{
    const int capacity = m_ring.size();
    return (m_head - r % capacity + capacity) % capacity;
}

const RawDataModel::Row &RawDataModel::row(int r) const
{
    return m_ring.at(slot(r));
}

int RawDataModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_count;
}

int RawDataModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_showsBus ? 4 : 3;
}

QVariant RawDataModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_count)
        return {};
    const Row &r = row(index.row());
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case 0:
            return r.rawText();
        case 1:
            return r.decodedText();
        case 2:
            return timeText(r.timing);
        case BusColumn:
            return BusNames::defaultName(r.bus);
        default:
            return {};
        }
    case Qt::ToolTipRole:
        // The decoded text has the room the other columns leave: a long one ends cut.
        return index.column() == DecodedColumn ? QVariant(r.decodedText()) : QVariant();
    case Qt::TextAlignmentRole:
        // Right-aligned, the seconds of consecutive rows line up.
        return index.column() == 2 ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter)) : QVariant();
    case Qt::BackgroundRole: {
        const QColor tint = lateTint(r.missedPeriods);
        return tint.isValid() ? QVariant(QBrush(tint)) : QVariant();
    }
    case Qt::ForegroundRole: {
        if (!r.active)
            return QBrush(Qt::gray);
        // A late row's text keeps its contrast whatever the palette's text colour is.
        const QColor tint = lateTint(r.missedPeriods);
        return tint.isValid() ? QVariant(QBrush(textColourOn(tint))) : QVariant();
    }
    default:
        return {};
    }
}

QColor RawDataModel::lateTint(int missedPeriods)
{
    // Light tints from yellow to red, the more periods missed the redder: dark text stays
    // readable on each of them.
    switch (missedPeriods) {
    case 1:
        return QColor(0xff, 0xf4, 0xb0);
    case 2:
        return QColor(0xff, 0xd8, 0x80);
    case 3:
        return QColor(0xff, 0xb8, 0xa8);
    default:
        return missedPeriods >= 4 ? QColor(0xf4, 0x8f, 0x86) : QColor();
    }
}

QColor RawDataModel::textColourOn(const QColor &background)
{
    // Relative luminance (sRGB, as WCAG computes it): dark text on light backgrounds.
    auto channel
        = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    const double luminance = 0.2126 * channel(background.redF())
                             + 0.7152 * channel(background.greenF())
                             + 0.0722 * channel(background.blueF());
    return luminance > 0.179 ? QColor(0x1a, 0x1a, 0x1a) : QColor(Qt::white);
}

QString RawDataModel::timeText(qint64 ms)
{
    const qint64 whole = std::max<qint64>(0, ms);
    return QStringLiteral("%1.%2").arg(whole / 1000).arg(whole % 1000, 3, 10, QLatin1Char('0'));
}

QString RawDataModel::widestText(int column)
{
    switch (column) {
    case RawColumn: {
        Row widest;
        widest.id = 0x1FFFFFFF;
        widest.length = 8;
        widest.status = DispatchResult::TransmitError;
        return widest.rawText();
    }
    case TimeColumn:
        return timeText(99999999);
    default:
        return QString();
    }
}

QVariant RawDataModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case 0:
        return tr("Raw data");
    case 1:
        return tr("Decoded data");
    case 2:
        return tr("Time, s");
    case BusColumn:
        return tr("Bus");
    default:
        return {};
    }
}

void RawDataModel::setShowsBus(bool on)
{
    if (on == m_showsBus)
        return;
    if (on) {
        beginInsertColumns(QModelIndex(), BusColumn, BusColumn);
        m_showsBus = true;
        endInsertColumns();
    } else {
        beginRemoveColumns(QModelIndex(), BusColumn, BusColumn);
        m_showsBus = false;
        endRemoveColumns();
    }
}

void RawDataModel::setFilters(const QList<MessageFilter *> &filters)
{
    m_filters = filters;
}

bool RawDataModel::isActive(const AbstractDisplayableItem *item) const
{
    if (m_activeItems.isEmpty())
        return true;
    return item && m_activeItems.contains(item);
}

void RawDataModel::setActiveDisplayables(const QList<AbstractDisplayableItem *> &items)
{
    m_activeItems.clear();
    for (AbstractDisplayableItem *item : items)
        collectWithDescendants(item, &m_activeItems);
    for (int r = 0; r < m_count; ++r) {
        Row &row = m_ring[slot(r)];
        row.active = isActive(row.item);
    }
    if (m_count > 0)
        emit dataChanged(index(0, 0), index(m_count - 1, 2));
}

void RawDataModel::setFlowEnabled(bool enabled)
{
    m_flowEnabled = enabled;
}

void RawDataModel::clearModel()
{
    beginResetModel();
    m_ring.clear();
    m_head = 0;
    m_count = 0;
    m_timeBase = busElapsed();
    endResetModel();
}

bool RawDataModel::passes(const QPair<CanMessage, DispatchResult> &pair,
                          const QList<MessageFilter *> &enabled) const
{
    for (const MessageFilter *f : enabled) {
        if (!f->filter(pair))
            return false;
    }
    return true;
}

void RawDataModel::slotNotifyPack(const AbstractCanHandler::MessagePack &pack)
{
    const AbstractCanHandler *handler = m_handler.load();
    const AbstractCanMessageDispatcher *bus = handler ? handler->dispatcher() : nullptr;
    addPack(pack, bus ? bus->busNumber() : 0);
}

void RawDataModel::addPack(const AbstractCanHandler::MessagePack &pack, int bus, qint64 offsetMs)
{
    if (!m_flowEnabled || (m_busFilter >= 0 && bus != m_busFilter))
        return;
    QList<MessageFilter *> enabled;
    for (MessageFilter *f : qAsConst(m_filters)) {
        if (f && f->isEnabled())
            enabled << f;
    }
    QVector<int> passing;
    passing.reserve(pack.size());
    for (int i = 0; i < pack.size(); ++i) {
        if (passes(pack.at(i), enabled))
            passing << i;
    }
    if (passing.isEmpty())
        return;
    // More than the limit in one pack: only its newest frames can stay.
    if (passing.size() > RowLimit)
        passing.erase(passing.begin(), passing.end() - RowLimit);
    const int incoming = passing.size();
    const int surplus = m_count + incoming - RowLimit;
    if (surplus > 0) {
        beginRemoveRows(QModelIndex(), m_count - surplus, m_count - 1);
        m_count -= surplus;
        endRemoveRows();
    }
    if (m_ring.size() < RowLimit && m_ring.size() < m_count + incoming) {
        // Grow the ring, keeping row order: unroll it so the oldest row is first.
        QVector<Row> grown;
        grown.reserve(std::min(RowLimit, std::max(1024, (m_count + incoming) * 2)));
        for (int r = m_count - 1; r >= 0; --r)
            grown.append(m_ring.at(slot(r)));
        grown.resize(std::min(RowLimit, std::max(1024, (m_count + incoming) * 2)));
        m_ring = std::move(grown);
        m_head = m_count - 1;
    }
    beginInsertRows(QModelIndex(), 0, incoming - 1);
    for (int i : qAsConst(passing)) {
        const auto &pair = pack.at(i);
        m_head = (m_head + 1) % m_ring.size();
        Row &r = m_ring[m_head];
        r.index = m_nextIndex++;
        r.id = pair.first.id;
        std::copy(pair.first.data, pair.first.data + 8, r.data);
        r.length = pair.first.length;
        r.extended = pair.first.extended;
        r.status = quint8(pair.second.status);
        r.missedPeriods = qint8(std::clamp(pair.second.missedPeriods, -1, 127));
        r.timing = std::max<qint64>(0, pair.second.timestamp + offsetMs - m_timeBase);
        r.bus = quint8(bus);
        r.item = pair.second.item;
        r.decoded = pair.first.text.isEmpty();
        r.text = r.decoded ? pair.second.description : pair.first.text;
        r.active = m_activeItems.isEmpty() ? true : (r.item ? isActive(r.item) : false);
    }
    m_count += incoming;
    endInsertRows();
}

void RawDataModel::writeRow(QTextStream &stream, const Row &row)
{
    stream << row.index << ' ' << row.rawText() << '\t' << row.timing << '\t' << row.decodedText()
           << '\n';
}

bool RawDataModel::writeCandumpRow(QTextStream &stream, const Row &row, qint64 baseEpochMs)
{
    if (row.status & DispatchResult::TransmitError)
        return false;
    const qint64 ms = baseEpochMs + row.timing;
    QString bytes;
    for (int i = 0; i < row.length && i < 8; ++i)
        bytes += QStringLiteral("%1").arg(row.data[i], 2, 16, QLatin1Char('0'));
    stream << QStringLiteral("(%1.%2) %3 %4#%5\n")
                  .arg(ms / 1000)
                  .arg((ms % 1000) * 1000, 6, 10, QLatin1Char('0'))
                  .arg(BusNames::defaultName(row.bus))
                  .arg(QString::number(row.id, 16)
                           .rightJustified(row.extended ? 8 : 3, QLatin1Char('0'))
                           .toUpper(),
                       bytes.toUpper());
    return true;
}

bool RawDataModel::frameOf(const Row &row, qint64 baseEpochMs, TimedFrame *frame)
{
    if (row.status & DispatchResult::TransmitError)
        return false;
    frame->timeUs = (baseEpochMs + row.timing) * 1000;
    frame->message = CanMessage(row.id, row.data, std::min<int>(row.length, 8));
    frame->message.extended = row.extended;
    frame->bus = row.bus;
    return true;
}

void RawDataModel::save(QTextStream &stream) const
{
    for (int r = m_count - 1; r >= 0; --r)
        writeRow(stream, row(r));
}

void RawDataModel::saveCandump(QTextStream &stream, qint64 baseEpochMs) const
{
    for (int r = m_count - 1; r >= 0; --r)
        writeCandumpRow(stream, row(r), baseEpochMs);
}

QVector<TimedFrame> RawDataModel::frames(qint64 baseEpochMs) const
{
    QVector<TimedFrame> frames;
    frames.reserve(m_count);
    TimedFrame frame;
    for (int r = m_count - 1; r >= 0; --r) {
        if (frameOf(row(r), baseEpochMs, &frame))
            frames.append(frame);
    }
    return frames;
}

RawDataModel::Rows RawDataModel::rows() const
{
    Rows rows;
    rows.m_ring = m_ring;
    rows.m_head = m_head;
    rows.m_count = m_count;
    return rows;
}

const RawDataModel::Row &RawDataModel::Rows::at(int i) const
{
    // Row 0 of the model (the newest) is at m_head; the oldest is m_count - 1 rows before it.
    const int capacity = m_ring.size();
    const int r = m_count - 1 - i;
    return m_ring.at((m_head - r % capacity + capacity) % capacity);
}

void RawDataModel::setHandler(const AbstractCanHandler *handler)
{
    m_handler.store(handler);
    m_timeBase = busElapsed();
}

qint64 RawDataModel::busElapsed() const
{
    const AbstractCanHandler *handler = m_handler.load();
    return handler ? handler->messageElapsedTimer() : 0;
}

qint64 RawDataModel::timeBaseEpochMs() const
{
    return QDateTime::currentMSecsSinceEpoch() - busElapsed() + m_timeBase;
}
