#include "app/deviationlistmodel.h"

#include "app/livebuscheck.h"
#include "app/timelinespans.h"
#include "buscheck/deviation.h"
#include "descriptions/unitnames.h"
#include "model/descriptiontext.h"

#include <QColor>

DeviationListModel::DeviationListModel(LiveBusCheck *check, QObject *parent)
    : QAbstractTableModel(parent)
    , m_check(check)
{
    connect(check, &LiveBusCheck::started, this, &DeviationListModel::slotStarted);
    connect(check, &LiveBusCheck::deviationChanged, this,
            &DeviationListModel::slotDeviationChanged);
    connect(check, &LiveBusCheck::advanced, this, &DeviationListModel::slotAdvanced);
    if (check->checker())
        m_rows = check->checker()->deviations().size();
}

int DeviationListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int DeviationListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

const Deviation *DeviationListModel::deviation(int row) const
{
    if (!m_check || !m_check->checker() || row < 0 || row >= m_rows)
        return nullptr;
    const QVector<Deviation> &all = m_check->checker()->deviations();
    return row < all.size() ? &all.at(row) : nullptr;
}

QString DeviationListModel::timeText(qint64 us) const
{
    // The bus clock, as the checker's own texts ("last frame at …") and the timeline count.
    return Deviation::secondsText(us);
}

QVariant DeviationListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    const Deviation *d = deviation(index.row());
    if (!d)
        return QVariant();
    switch (role) {
    case ItemKeyRole:
        return d->itemKey;
    case LaneRole:
        return d->lane;
    case TextRole:
    case Qt::ToolTipRole:
        return d->text();
    case Qt::DecorationRole:
        if (index.column() != Kind)
            return QVariant();
        // A switched-off unit is no fault: its row carries the colour of a quiet lane.
        return d->switchedOff ? QVariant(QColor(Qt::lightGray))
                              : QVariant(TimelineSpans::colour(TimelineSpans::stateOf(d->kind)));
    case Qt::DisplayRole:
        break;
    default:
        return QVariant();
    }
    switch (Column(index.column())) {
    case Start:
        return timeText(d->startUs);
    case End:
        // An open deviation goes on: its end is where the check is now.
        return d->open ? tr("%1 …").arg(timeText(d->endUs)) : timeText(d->endUs);
    // The scheme's names, in the interface language where the catalogue has them.
    case Unit:
        return UnitNames::translated(d->unit);
    case Function: {
        const QString item = DescriptionText::translated(d->item);
        return d->parameter.isEmpty() ? item : tr("%1 · %2").arg(item, d->parameter);
    }
    case Kind:
        return d->kindLabel();
    case Observed:
        return d->observed;
    case Rule:
        return d->rule;
    case ColumnCount:
        break;
    }
    return QVariant();
}

QVariant DeviationListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (Column(section)) {
    case Start:
        return tr("Start, s");
    case End:
        return tr("End, s");
    case Unit:
        return tr("Unit");
    case Function:
        return tr("Function");
    case Kind:
        return tr("Deviation");
    case Observed:
        return tr("Observed");
    case Rule:
        return tr("Rule");
    case ColumnCount:
        break;
    }
    return QVariant();
}

void DeviationListModel::slotStarted()
{
    beginResetModel();
    m_rows = 0;
    endResetModel();
}

void DeviationListModel::slotDeviationChanged(int index)
{
    if (index < 0)
        return;
    if (index >= m_rows) {
        beginInsertRows(QModelIndex(), m_rows, index);
        m_rows = index + 1;
        endInsertRows();
        return;
    }
    emit dataChanged(this->index(index, 0), this->index(index, ColumnCount - 1));
}

void DeviationListModel::slotAdvanced()
{
    if (m_rows > 0)
        emit dataChanged(index(0, End), index(m_rows - 1, End), {Qt::DisplayRole});
}
