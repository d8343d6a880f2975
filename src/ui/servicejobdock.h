#pragma once

#include <QDockWidget>

class JobSession;
class QLabel;
class QPushButton;
class QTabWidget;
class QTableWidget;

// The "Service job" dock: the job's header, the inventory as found (refreshable), the changes
// made, the fault snapshots and, once finished, as found against as left with the differences
// marked. GUI thread.
class ServiceJobDock : public QDockWidget
{
    Q_OBJECT

public:
    ServiceJobDock(JobSession *session, QWidget *parent = nullptr);

    QTableWidget *asFoundTable() const { return m_asFound; }
    QTableWidget *changesTable() const { return m_changes; }
    QTableWidget *snapshotsTable() const { return m_snapshots; }
    QTableWidget *comparisonTable() const { return m_comparison; }

public slots:
    void refresh();
    void refreshInventory();
    void refreshChanges();
    void refreshSnapshots();

signals:
    void finishRequested();
    void reportRequested();

private:
    void openSnapshot(int row);

    JobSession *m_session;
    QLabel *m_header;
    QPushButton *m_refresh;
    QPushButton *m_finish;
    QPushButton *m_report;
    QPushButton *m_folder;
    QTabWidget *m_tabs;
    QTableWidget *m_asFound;
    QTableWidget *m_changes;
    QTableWidget *m_snapshots;
    QTableWidget *m_comparison;
};
