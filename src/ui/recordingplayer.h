#pragma once

#include <QObject>
#include <QPointer>

class AbstractCanHandler;
class MainWindow;
class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QSlider;
class QTimer;
class QToolBar;
class ReplayCanHandler;

// File ▸ Open recording… and the player bar: a recording of any format plays on the replay
// adapter with play/pause, speed, a position to drag along the recording's time, looping and
// the current time. GUI thread; the handler's controls take its own lock.
class RecordingPlayer : public QObject
{
    Q_OBJECT

public:
    explicit RecordingPlayer(MainWindow *window);

    void attach(AbstractCanHandler *handler);
    QToolBar *bar() const { return m_bar; }
    // Plays the recording at `path`; false (with a message) when it cannot.
    bool open(const QString &path);
    // The refresh interval of the position shown; tests shorten it.
    void setRefreshInterval(int ms);

    // The speeds offered, recording seconds per wall second; 0 is as fast as possible.
    static const QVector<double> &speeds();

public slots:
    void openRecording();
    void refresh();

private slots:
    void showPlaying();

private:
    ReplayCanHandler *replay() const;
    static QString timeText(qint64 us);

    MainWindow *m_window;
    QPointer<AbstractCanHandler> m_handler;
    QAction *m_open;
    QToolBar *m_bar;
    QAction *m_pause;
    QComboBox *m_speed;
    QSlider *m_position;
    QCheckBox *m_loop;
    QLabel *m_time;
    QTimer *m_timer;
    bool m_dragging = false;
};
