#pragma once

#include "diagnostics/memoryaccesslayout.h"

#include <QDockWidget>
#include <QHash>
#include <QPointer>

#include <functional>

class MemoryAccessFunction;
class QDoubleSpinBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;
class SchemeWindow;

// The "MA Data" window of a memory access function: its values as tables and spin boxes, edited
// here, read and written by the buttons. GUI thread; it reaches the function (bus thread) only
// through its thread-safe calls and queued signals, and dies with it.
class MemoryAccessDock : public QDockWidget
{
    Q_OBJECT

public:
    // Asks the user a yes/no question; replaceable so that tests answer it.
    using Confirmer = std::function<bool(QWidget *parent, const QString &question)>;

    explicit MemoryAccessDock(MemoryAccessFunction *function, QWidget *parent = nullptr);

    // Builds the function's window on first use (docked in the window's left area, floating
    // without a window) and shows it.
    static MemoryAccessDock *showFor(MemoryAccessFunction *function,
                                     SchemeWindow *window = nullptr);
    static void setConfirmer(Confirmer confirmer);
    // Asks through the current confirmer.
    static bool confirm(QWidget *parent, const QString &question);

    QTableWidgetItem *cellOf(int itemIndex) const { return m_cells.value(itemIndex); }
    QDoubleSpinBox *spinBoxOf(int itemIndex) const { return m_spinBoxes.value(itemIndex); }
    static QColor editedColor() { return QColor(33, 142, 146); }

public slots:
    void rebuild();
    void slotRefreshWidgetData();
    void slotCommit();
    void slotCommitChanged();
    void slotCellChanged(int row, int column);
    void slotValueChanged(double value);

private:
    void commit(bool changedOnly);
    void showValues(const QVector<int> &indices, bool markChanges);
    void setBusy(bool busy);
    void setStatus(const QString &text);
    void updateTitle();
    QTableWidget *createTable(const MemoryAccessLayout::GroupTable &group,
                              const MemoryAccessTable &table);
    void addSpinBoxRow(int index, const MemoryAccessTable &table);
    void increment();

    QPointer<MemoryAccessFunction> m_function;
    QWidget *m_content = nullptr;
    QLabel *m_status = nullptr;
    QProgressBar *m_progress = nullptr;
    QPushButton *m_refresh = nullptr;
    QPushButton *m_commit = nullptr;
    QPushButton *m_commitChanged = nullptr;
    QPushButton *m_cancel = nullptr;
    QHash<int, QTableWidgetItem *> m_cells;
    QHash<int, QDoubleSpinBox *> m_spinBoxes;
    QList<QTableWidget *> m_tables;
    bool m_busy = false;
};
