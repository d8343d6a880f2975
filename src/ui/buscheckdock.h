#pragma once

#include <QDockWidget>

class BusTimelinePlot;
class DeviationListModel;
class LiveBusCheck;
class QCheckBox;
class QComboBox;
class QLabel;
class QTableView;
class QTextEdit;

// The "Bus check" dock: the bus watched (a chooser while the window has several), the timeline
// of the lanes, the legend of its colours, the list of deviations and the details of the one
// chosen. Choosing a deviation or a lane asks for its item in the scheme tree (itemChosen).
// GUI thread.
class BusCheckDock : public QDockWidget
{
    Q_OBJECT

public:
    explicit BusCheckDock(LiveBusCheck *check, QWidget *parent = nullptr);

    BusTimelinePlot *timeline() const { return m_timeline; }
    QTableView *deviationView() const { return m_view; }
    DeviationListModel *deviationModel() const { return m_model; }
    QTextEdit *detailsView() const { return m_details; }
    QComboBox *busChooser() const { return m_bus; }
    // The buses the check may watch, by name, and the one it watches; the chooser shows only
    // when there are several.
    void setBuses(const QStringList &names, int current);

signals:
    // The scheme tree's key of the item a deviation or a lane is about.
    void itemChosen(const QString &itemKey);
    // The engineer chose the bus at this position of the names.
    void busChosen(int index);

private slots:
    void showDeviation(const QModelIndex &current);
    void updateStatus();

private:
    QWidget *buildLegend();

    LiveBusCheck *m_check;
    QWidget *m_busBox;
    QComboBox *m_bus;
    BusTimelinePlot *m_timeline;
    DeviationListModel *m_model;
    QTableView *m_view;
    QTextEdit *m_details;
    QLabel *m_status;
    QCheckBox *m_follow;
};
