#pragma once

#include <atomic>
#include <memory>
#include <mutex>

#include "can/abstractcanhandler.h"
#include "can/recordingreader.h"
#include "can/simulatedbus.h"
#include "util/translatabletext.h"

#include <QElapsedTimer>
#include <QStringList>

#include <functional>

class ReplayReading;

// Plays recordings (any format the recording reader knows) as if an adapter received them;
// sent frames are accepted. A recording streams: a thread of its own reads it into a spool of
// compressed blocks on disk while it plays, and the player holds only the block it plays, so a
// day of a busy bus plays in the memory of a minute of it. Seeking finds its block by the spool's
// index; until the reading is done, the recording ends where the reading stands. The built-in demo
// bus is transceiver 0; recordings named by the user follow. Plays in real time and loops unless
// told otherwise: the player's controls pause, change the speed, seek and switch looping off. While
// a recording of the user's plays, the bus clock follows its time.
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

    // Choosing a recording waits until this much of it is read (or all of it), so that its
    // buses are known before it plays.
    static constexpr qint64 StartSpanUs = 2 * 1000 * 1000;

    // Frames read so far; all of them once readingPercent() is -1.
    qint64 loadedFrameCount() const;
    // How far the recording chosen or being chosen (setTransceiver) is read, in percent of its
    // file; -1 when it is read whole. Any thread.
    int readingPercent() const;
    // True asks the choice of a recording (setTransceiver) to stop: it fails and the handler
    // keeps the recording it had. False lets the next choice run. Any thread.
    void setReadingCancelled(bool cancelled) { m_readingCancelled.store(cancelled); }
    int skippedLineCount() const;
    // What the recording takes in memory: the spool's index and the block that plays.
    qint64 memoryBytes() const;
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
    // The recording chosen holds frames (lock held).
    bool hasFrames() const;
    qint64 durationNowUs() const;
    // Moves the play cursor to the start of the recording (lock held).
    void rewind();
    // Loads the block the cursor stands in, when it is not the one loaded (lock not held).
    void loadCursorBlock();
    // The recording position the clock stands at now (lock held).
    qint64 positionNowUs() const;
    // Restarts the clock at `positionUs` (lock held) and sets the bus clock.
    void anchor(qint64 positionUs);
    void publishClock() const;

    mutable std::mutex m_mutex; // guards everything below
    QStringList m_paths;
    std::shared_ptr<ReplayReading> m_reading;  // the recording chosen
    std::shared_ptr<ReplayReading> m_choosing; // the recording being chosen, until it plays
    qint64 m_originUs = 0;                     // its first frame's time
    QVector<TimedFrame> m_block;               // the block the cursor stands in, once loaded
    int m_blockIndex = -1;                     // which block m_block is
    int m_cursorBlock = 0;
    int m_cursorFrame = 0;
    qint64 m_seekTimeUs = -1; // a seek finds its frame in the cursor's block once loaded
    bool m_playing = false;
    QElapsedTimer m_clock;
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
    SimulatedBus m_simulated; // has its own lock
    std::atomic<bool> m_readingCancelled{false};
};
