#pragma once

#include <QObject>
#include <QPointer>

class AbstractCanHandler;
class DeviceDispatcher;
class MainWindow;
class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
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
    // Starts reading the recording at `path` on a thread of its own; it plays once read
    // (recordingOpened) or the user gets a message. False when it cannot even start.
    bool open(const QString &path);
    bool isReading() const { return m_reading; }
    // The refresh interval of the position shown; tests shorten it.
    void setRefreshInterval(int ms);
    // How often the status bar shows how far a recording is read; tests shorten it.
    void setProgressInterval(int ms);

    // The property the player sets on Auto add when it turned it on for a recording; the
    // window does not keep such a choice for the next start.
    static constexpr const char *TurnedOnForRecording = "turnedOnForRecording";

    // The file types the recording dialogs offer.
    static const char *const RecordingFilter;

    // The speeds offered, recording seconds per wall second; 0 is as fast as possible.
    static const QVector<double> &speeds();

signals:
    void recordingOpened(const QString &path);

public slots:
    void openRecording();
    void refresh();
    // Stops reading the recording being opened; the window stays as it was before.
    void cancelReading();

private slots:
    void showPlaying();
    void opened(const QString &path, bool ok, const QString &error);

private:
    ReplayCanHandler *replay() const;
    // The recording's other buses play on handlers of their own beside the first's; the
    // controls act on all.
    QList<ReplayCanHandler *> players() const;
    void playOtherBuses(ReplayCanHandler *first);
    static QString timeText(qint64 us);
    void showPaused(bool paused);
    void showReadingProgress();
    // Sets the position bar's range to the recording's length as far as it is read.
    void showRange(qint64 durationUs);

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
    QPushButton *m_cancel;
    QTimer *m_progressTimer;
    QString m_readingName;
    bool m_dragging = false;
    bool m_reading = false;
    bool m_cancelling = false;
    // The scheme was empty when the recording began: its units came from the recording.
    bool m_filledScheme = false;
    QString m_shownPath;
    // The buses the window added for the recording's other buses.
    QList<DeviceDispatcher *> m_otherBuses;
};
