#pragma once

#include <atomic>
#include <mutex>

#include "can/abstractcanhandler.h"
#include "can/recordingreader.h"
#include "can/simulatedbus.h"
#include "util/translatabletext.h"

#include <QElapsedTimer>
#include <QStringList>

#include <functional>

// Plays recordings (any format the recording reader knows) as if an adapter received them;
// sent frames are accepted. The built-in demo bus is transceiver 0; recordings named by the
// user follow. Plays in real time and loops unless told otherwise: the player's controls pause,
// change the speed, seek and switch looping off. While a recording of the user's plays, the
// bus clock follows its time.
class ReplayCanHandler : public AbstractCanHandler
{
    Q_OBJECT

public:
    static const char *const DemoRecording;
    // The example scheme whose units match the demo recording.
    static const char *const DemoScheme;
    // A port of this handler as the status bar names it, in the words of the code: the demo
    // bus's name is a text of the program; a recording's is its file's name.
    static TranslatableText portText(const QString &port);

    explicit ReplayCanHandler(AbstractCanMessageDispatcher *dispatcher, QObject *parent = nullptr);
    ~ReplayCanHandler() override;

    QList<QPair<int, QString>> transceivers() override;
    unsigned transceiversCount() override;
    // Accepts listed names and the path of any readable recording, which is added to the list.
    int transceiverIndexForName(const QString &name) override;
    int addRecording(const QString &path);

    int loadedFrameCount() const;
    // How far the recording being chosen (setTransceiver) is read, in percent of its file; -1
    // while none is read. Any thread.
    int readingPercent() const { return m_readingPercent.load(); }
    // True asks the reading of the recording being chosen to stop: the choice fails and the
    // handler keeps the recording it had. False lets the next reading run. Any thread.
    void setReadingCancelled(bool cancelled) { m_readingCancelled.store(cancelled); }
    int skippedLineCount() const;
    qint64 loopPeriodUs() const;
    quint64 loopsCompleted() const;
    // Player controls, any thread. Speed is recording seconds per wall second; 0 plays as fast
    // as the bus thread takes the frames. Positions are µs from the recording's first frame.
    static constexpr double AsFastAsPossible = 0.0;
    void setPaused(bool paused);
    bool isPaused() const;
    void setSpeed(double speed);
    double speed() const;
    void setLooping(bool on);
    bool isLooping() const;
    void seek(qint64 positionUs);
    qint64 positionUs() const;
    qint64 durationUs() const;
    qint64 messageElapsedTimer() const override;
    // The recording of the user's that plays (not the demo bus), or empty.
    QString playingPath() const;
    // The first frame's time stamp (µs since the epoch for absolute recordings).
    qint64 originUs() const;
    // The units that answer what is sent; the demo bus has the machine controller's.
    SimulatedBus *simulatedBus() { return &m_simulated; }
    // Puts the demo bus's units on the simulated far end each time the demo bus is chosen. They
    // are the simulated machine's, not the adapter's: whoever starts the handler hands them
    // over; without them the demo bus only plays. Any thread; used at the next choice of the
    // demo bus.
    using UnitSource = std::function<void(SimulatedBus *bus)>;
    void setDemoUnits(UnitSource source);
    // A recording of several buses plays one of them: `bus` when it has it, else its lowest;
    // set before the recording is chosen. The bus played numbers the handler's bus. A recording
    // of one bus plays every frame.
    void setChannel(int bus);
    // The bus played, -1 for every frame.
    int channel() const;
    // The buses of the recording chosen, in number order.
    QVector<quint8> channels() const;

public slots:
    bool setBaudRateImpl(unsigned rate) override;

protected:
    bool receiveMessagesImpl(unsigned *count) override;
    void sendMessagesImpl(const CanMessage *messages, unsigned count, bool *ok) override;
    bool setTransceiverImpl(unsigned index) override;
    bool startImpl() override;
    bool stopImpl() override;

private:
    // The recording position the clock stands at now (lock held).
    qint64 positionNowUs() const;
    // Restarts the clock at `positionUs` (lock held) and sets the bus clock.
    void anchor(qint64 positionUs);
    void publishClock() const;

    mutable std::mutex m_mutex; // guards everything below
    QStringList m_paths;
    QVector<TimedFrame> m_frames;
    int m_skipped = 0;
    qint64 m_loopPeriodUs = 0;
    bool m_playing = false;
    QElapsedTimer m_clock;
    int m_next = 0;
    qint64 m_loopOffsetUs = 0;
    quint64 m_loops = 0;
    int m_index = 0;
    bool m_paused = false;
    bool m_endReached = false;
    bool m_looping = true;
    double m_speed = 1.0;
    qint64 m_anchorPositionUs = 0; // the position when m_clock was started
    qint64 m_lastDeliveredUs = 0;  // as fast as possible: the position is the last frame's
    qint64 m_seekOffsetUs = 0;     // what seeks took off the position, to keep stamps running on
    UnitSource m_demoUnits;
    int m_requestedChannel = -1;
    int m_channel = -1;
    QVector<quint8> m_channels;
    SimulatedBus m_simulated; // has its own lock
    std::atomic<int> m_readingPercent{-1};
    std::atomic<bool> m_readingCancelled{false};
};
