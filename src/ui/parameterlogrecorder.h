#pragma once

#include "can/busclock.h"

#include <QObject>

#include <functional>
#include <memory>

class ParameterLog;
class QAction;
class QLabel;
class QMainWindow;
class QStatusBar;
class QTimer;
class SchemeTreeModel;

// Runs the parameter log for the window: starts it on the marked items with the period and folder
// of the settings, writes a record every period (on disk at once under "Live Parameter Log"),
// counts the records in the status bar and stops on request or when the file fails. The window's
// "Start Parameter Log" action stays checked exactly while the log runs. GUI thread.
class ParameterLogRecorder : public QObject
{
    Q_OBJECT

public:
    // The window's actions "actionStartParameterLog" and "actionLiveParameterLog" must exist.
    explicit ParameterLogRecorder(QMainWindow *window);
    ~ParameterLogRecorder() override;

    ParameterLog *log() const { return m_log.get(); }
    // The caption and the record counter, added to the status bar.
    void addStatusWidgets(QStatusBar *bar);
    // Starts logging the scheme's marked items; false (with the reason shown) when it cannot.
    bool start(const SchemeTreeModel *model);
    void stop();
    // The clock the records are stamped on: the window's first bus (the wall clock until one is
    // given).
    void setClock(std::function<const BusClock &()> clock) { m_clock = std::move(clock); }

public slots:
    void slotParameterLogTick();

private:
    void showMessage(const QString &text);

    QMainWindow *m_window;
    std::function<const BusClock &()> m_clock = [] { return std::cref(BusClock::of(nullptr)); };
    std::unique_ptr<ParameterLog> m_log;
    QTimer *m_timer = nullptr;
    QAction *m_startAction = nullptr;
    QAction *m_liveAction = nullptr;
    QLabel *m_counter = nullptr;
    int m_records = 0;
};
