#pragma once

#include <QAbstractTableModel>
#include <QPointer>

class LiveBusCheck;
struct Deviation;

// The deviations of the window's bus check, one row each in the order they began: start, end,
// unit, function, kind, what was observed and the rule. Rows follow the check as it runs;
// open deviations' ends grow with it. GUI thread.
class DeviationListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { Start = 0, End, Unit, Function, Kind, Observed, Rule, ColumnCount };
    enum Role {
        ItemKeyRole = Qt::UserRole + 1, // the scheme tree's key of the item
        LaneRole,                       // the timeline lane's key
        TextRole,                       // the whole deviation in words
    };

    explicit DeviationListModel(LiveBusCheck *check, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    const Deviation *deviation(int row) const;
    // Seconds on the bus clock (since the adapter opened, or the recording's own).
    QString timeText(qint64 us) const;

private slots:
    void slotStarted();
    void slotDeviationChanged(int index);
    void slotAdvanced();

private:
    QPointer<LiveBusCheck> m_check;
    // Rows announced so far: the check appends before the model is told.
    int m_rows = 0;
};
