#include "ui/recordingplayer.h"

#include "can/abstractcanhandler.h"
#include "can/canhandlerfactory.h"
#include "can/replaycanhandler.h"
#include "model/devicedispatcher.h"
#include "scheme/schemetreemodel.h"
#include "ui/mainwindow.h"
#include "ui/userquestions.h"
#include "ui/windowbuses.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QProxyStyle>
#include <QPushButton>
#include <QSettings>
#include <QSignalBlocker>
#include <QSlider>
#include <QStatusBar>
#include <QStyle>
#include <QThread>
#include <QTimer>
#include <QToolBar>

#include <algorithm>
#include <climits>

namespace {

// A click on the position bar jumps there, as in a media player (not a page at a time).
class JumpClickStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == QStyle::SH_Slider_AbsoluteSetButtons)
            return Qt::LeftButton;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

const char *const RecordingPlayer::RecordingFilter = QT_TRANSLATE_NOOP(
    "RecordingPlayer",
    "Recordings (*.log *.asc *.trc *.mf4 *.MF4 *.blf *.pcap *.pcapng);;All files (*)");

namespace {

// The position slider counts milliseconds of the recording.
constexpr int SliderUnitUs = 1000;

} // namespace

const QVector<double> &RecordingPlayer::speeds()
{
    static const QVector<double> list{0.25, 0.5, 1,  2,
                                      5,    10,  20, ReplayCanHandler::AsFastAsPossible};
    return list;
}

RecordingPlayer::RecordingPlayer(MainWindow *window)
    : QObject(window)
    , m_window(window)
    , m_open(new QAction(tr("Open recording…"), window))
    , m_bar(new QToolBar(tr("Player"), window))
    , m_pause(new QAction(tr("Pause"), m_bar))
    , m_speed(new QComboBox(m_bar))
    , m_position(new QSlider(Qt::Horizontal, m_bar))
    , m_loop(new QCheckBox(tr("Loop"), m_bar))
    , m_time(new QLabel(m_bar))
    , m_timer(new QTimer(this))
    , m_cancel(new QPushButton(tr("Cancel"), window))
    , m_progressTimer(new QTimer(this))
{
    setObjectName(QStringLiteral("recordingPlayer"));
    m_open->setObjectName(QStringLiteral("actionOpenRecording"));
    m_open->setStatusTip(tr("Plays a recording (candump, ASC, TRC, MF4, BLF, pcap, pcapng) as the "
                            "bus, with pause, speed and seeking"));
    if (auto *file = window->findChild<QMenu *>(QStringLiteral("menuFile"))) {
        QAction *before = window->findChild<QAction *>(QStringLiteral("actionOpenParameterLog"));
        file->insertAction(before, m_open);
    }
    connect(m_open, &QAction::triggered, this, &RecordingPlayer::openRecording);

    m_bar->setObjectName(QStringLiteral("playerBar"));
    m_pause->setObjectName(QStringLiteral("actionPlayerPause"));
    m_pause->setCheckable(true);
    m_pause->setShortcut(Qt::Key_Space);
    // Space pauses wherever the focus is in the window; text fields keep their spaces, since
    // they take the key before any shortcut.
    m_pause->setShortcutContext(Qt::WindowShortcut);
    showPaused(false);
    m_bar->addAction(m_pause);
    m_speed->setObjectName(QStringLiteral("playerSpeed"));
    m_speed->setToolTip(tr("Playing speed"));
    for (double speed : speeds()) {
        const QString text = speed == ReplayCanHandler::AsFastAsPossible ? tr("As fast as possible")
                             : speed == 0.25                             ? QStringLiteral("¼×")
                             : speed == 0.5                              ? QStringLiteral("½×")
                                            : QStringLiteral("%1×").arg(speed);
        m_speed->addItem(text, speed);
    }
    m_speed->setCurrentIndex(int(speeds().indexOf(1.0)));
    m_bar->addWidget(m_speed);
    m_position->setObjectName(QStringLiteral("playerPosition"));
    auto *style = new JumpClickStyle;
    style->setParent(m_position);
    m_position->setStyle(style);
    m_position->setToolTip(tr("Drag to move along the recording's time"));
    m_position->setMinimumWidth(240);
    m_bar->addWidget(m_position);
    m_time->setObjectName(QStringLiteral("playerTime"));
    m_time->setMinimumWidth(
        m_time->fontMetrics().horizontalAdvance(QStringLiteral("00:00:00.000 / 00:00:00.000")));
    m_bar->addWidget(m_time);
    m_loop->setObjectName(QStringLiteral("playerLoop"));
    m_loop->setChecked(true);
    m_loop->setToolTip(tr("Start again at the end"));
    m_bar->addWidget(m_loop);
    window->addToolBar(Qt::BottomToolBarArea, m_bar);
    m_bar->hide();

    connect(m_pause, &QAction::toggled, this, [this](bool paused) {
        for (ReplayCanHandler *r : players())
            r->setPaused(paused);
        showPaused(paused);
        refresh();
    });
    connect(m_speed, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this] {
        for (ReplayCanHandler *r : players())
            r->setSpeed(m_speed->currentData().toDouble());
    });
    connect(m_loop, &QCheckBox::toggled, this, [this](bool on) {
        for (ReplayCanHandler *r : players())
            r->setLooping(on);
    });
    connect(m_position, &QSlider::sliderPressed, this, [this] { m_dragging = true; });
    connect(m_position, &QSlider::sliderReleased, this, [this] { m_dragging = false; });
    // Dragging seeks as the handle moves; a click on the groove or a key moves it too.
    connect(m_position, &QSlider::valueChanged, this, [this](int value) {
        if (m_position->signalsBlocked())
            return;
        for (ReplayCanHandler *r : players())
            r->seek(qint64(value) * SliderUnitUs);
        refresh();
    });
    m_timer->setInterval(200);
    connect(m_timer, &QTimer::timeout, this, &RecordingPlayer::refresh);

    // While a recording is read the status bar tells how far, and Esc or Cancel stops it.
    m_cancel->setObjectName(QStringLiteral("readingCancel"));
    m_cancel->setToolTip(tr("Stop reading the recording (Esc)"));
    window->statusBar()->addPermanentWidget(m_cancel);
    // Esc anywhere in the window presses Cancel.
    auto *escape = new QAction(m_cancel);
    escape->setShortcut(Qt::Key_Escape);
    escape->setShortcutContext(Qt::WindowShortcut);
    m_cancel->addAction(escape);
    connect(escape, &QAction::triggered, m_cancel, &QPushButton::click);
    m_cancel->hide();
    connect(m_cancel, &QPushButton::clicked, this, &RecordingPlayer::cancelReading);
    m_progressTimer->setInterval(250);
    connect(m_progressTimer, &QTimer::timeout, this, &RecordingPlayer::showReadingProgress);
}

void RecordingPlayer::attach(AbstractCanHandler *handler)
{
    m_handler = handler;
    // A recording named at the start plays once the handler opens.
    if (handler)
        connect(handler, &AbstractCanHandler::stateChanged, this, &RecordingPlayer::showPlaying,
                Qt::QueuedConnection);
    showPlaying();
}

void RecordingPlayer::setRefreshInterval(int ms)
{
    m_timer->setInterval(ms);
}

void RecordingPlayer::setProgressInterval(int ms)
{
    m_progressTimer->setInterval(ms);
}

ReplayCanHandler *RecordingPlayer::replay() const
{
    return qobject_cast<ReplayCanHandler *>(m_handler.data());
}

QList<ReplayCanHandler *> RecordingPlayer::players() const
{
    QList<ReplayCanHandler *> list;
    if (ReplayCanHandler *first = replay())
        list << first;
    const QList<DeviceDispatcher *> added
        = m_window->buses() ? m_window->buses()->added() : QList<DeviceDispatcher *>();
    for (DeviceDispatcher *bus : m_otherBuses) {
        if (added.contains(bus))
            list << qobject_cast<ReplayCanHandler *>(bus->handler());
    }
    list.removeAll(nullptr);
    return list;
}

void RecordingPlayer::playOtherBuses(ReplayCanHandler *first)
{
    WindowBuses *buses = m_window->buses();
    if (!buses)
        return;
    // The last recording's other buses end with it.
    const QList<DeviceDispatcher *> previous = m_otherBuses;
    m_otherBuses.clear();
    for (DeviceDispatcher *bus : previous)
        buses->remove(bus);
    const QString path = first->playingPath();
    if (first->channel() < 0)
        return; // one bus
    for (quint8 channel : first->channels()) {
        if (int(channel) == first->channel())
            continue;
        const double speed = first->speed();
        const bool looping = first->isLooping();
        auto prepare = [channel, speed, looping](AbstractCanHandler *handler) {
            if (auto *other = qobject_cast<ReplayCanHandler *>(handler)) {
                other->setChannel(channel);
                other->setSpeed(speed);
                other->setLooping(looping);
            }
        };
        DeviceDispatcher *bus = buses->add(CanHandlerFactory::Replay, {}, path, 250000, prepare);
        if (!bus)
            break;
        m_otherBuses << bus;
        // It starts where the first bus's player stands.
        if (auto *other = qobject_cast<ReplayCanHandler *>(bus->handler())) {
            other->seek(first->positionUs());
            other->setPaused(first->isPaused());
        }
    }
}

void RecordingPlayer::openRecording()
{
    QSettings settings;
    const QString start = settings.value(QStringLiteral("Player/Directory")).toString();
    const QString path
        = m_window->questions()->askOpenFileName(tr("Open recording"), tr(RecordingFilter), start);
    if (path.isEmpty())
        return;
    settings.setValue(QStringLiteral("Player/Directory"), QFileInfo(path).absolutePath());
    open(path);
}

bool RecordingPlayer::open(const QString &path)
{
    ReplayCanHandler *r = replay();
    if (!r) {
        m_window->questions()->showError(
            tr("Open recording"),
            tr("A recording plays on the replay adapter, not on a live bus. Start Tarvik with "
               "\"--adapter replay\" (or choose Replay at the start) to play %1.")
                .arg(QDir::toNativeSeparators(path)));
        return false;
    }
    if (m_reading)
        return false;
    // The units a previous recording brought into an empty scheme are that machine's, not the
    // next one's: the scheme starts empty again, after the usual question about changes the
    // engineer made to it.
    if (m_filledScheme && !m_window->schemeModel()->unitNodes().isEmpty()) {
        if (QAction *clear = m_window->findChild<QAction *>(QStringLiteral("actionClearScheme")))
            clear->trigger();
        if (!m_window->schemeModel()->unitNodes().isEmpty())
            return false; // the engineer chose to stay
    }
    const int index = r->addRecording(path);
    if (index < 0) {
        m_window->questions()->showError(
            tr("Open recording"),
            tr("Cannot play %1: %2")
                .arg(QDir::toNativeSeparators(path), tr("the file cannot be read")));
        return false;
    }
    // A long recording takes a while to read: not on the window's thread.
    m_reading = true;
    m_cancelling = false;
    r->setReadingCancelled(false);
    m_open->setEnabled(false);
    m_readingName = QDir::toNativeSeparators(QFileInfo(path).fileName());
    m_window->statusBar()->showMessage(tr("Reading %1…").arg(m_readingName));
    m_cancel->setEnabled(true);
    m_cancel->show();
    m_progressTimer->start();
    QPointer<AbstractCanHandler> handler = m_handler;
    QPointer<RecordingPlayer> self(this);
    QThread *reader = QThread::create([handler, self, index, path] {
        auto *replay = qobject_cast<ReplayCanHandler *>(handler.data());
        bool ok = false;
        QString error;
        if (replay) {
            // Choosing a recording stops the one that plays; a reading that fails or is
            // cancelled leaves the handler on the recording it had, playing on where it stood.
            const bool wasOpen = replay->isOpen();
            const qint64 position = replay->positionUs();
            ok = replay->setTransceiver(index) && replay->start();
            error = ok ? QString() : replay->lastError();
            if (!ok && wasOpen && replay->start())
                replay->seek(position);
        }
        QMetaObject::invokeMethod(
            qApp,
            [self, ok, error, path] {
                if (self)
                    self->opened(path, ok, error);
            },
            Qt::QueuedConnection);
    });
    connect(reader, &QThread::finished, reader, &QObject::deleteLater);
    reader->start();
    return true;
}

void RecordingPlayer::cancelReading()
{
    ReplayCanHandler *r = replay();
    if (!m_reading || !r)
        return;
    m_cancelling = true;
    m_cancel->setEnabled(false);
    r->setReadingCancelled(true);
}

void RecordingPlayer::showReadingProgress()
{
    ReplayCanHandler *r = replay();
    const int percent = r ? r->readingPercent() : -1;
    if (m_reading && percent >= 0)
        m_window->statusBar()->showMessage(tr("Reading %1… %2 %").arg(m_readingName).arg(percent));
}

void RecordingPlayer::opened(const QString &path, bool ok, const QString &error)
{
    m_reading = false;
    m_progressTimer->stop();
    m_cancel->hide();
    m_open->setEnabled(true);
    ReplayCanHandler *r = replay();
    // A cancel that came after the reading ended must not stop the next one.
    if (r)
        r->setReadingCancelled(false);
    if (!ok && m_cancelling) {
        m_window->statusBar()->clearMessage();
        showPlaying();
        return;
    }
    if (!ok || !r) {
        m_window->statusBar()->clearMessage();
        m_window->questions()->showError(
            tr("Open recording"),
            tr("Cannot play %1: %2").arg(QDir::toNativeSeparators(path), error));
        showPlaying();
        return;
    }
    r->setSpeed(m_speed->currentData().toDouble());
    r->setLooping(m_loop->isChecked());
    // A new recording plays, whatever state the last one was left in.
    r->setPaused(false);
    {
        const QSignalBlocker blocker(m_pause);
        m_pause->setChecked(false);
    }
    showPaused(false);
    m_window->showConnection(
        TranslatableText::catalogue("RecordingPlayer",
                                    QT_TRANSLATE_NOOP("RecordingPlayer", "Recording")),
        QFileInfo(path).fileName());
    if (r->readingPercent() < 0) {
        m_window->statusBar()->showMessage(tr("Playing %1: %n frames", nullptr,
                                              int(std::min<qint64>(r->loadedFrameCount(), INT_MAX)))
                                               .arg(QFileInfo(path).fileName()),
                                           5000);
    } else {
        m_window->statusBar()->showMessage(
            tr("Playing %1 while the rest of it is read").arg(QFileInfo(path).fileName()), 5000);
    }
    showPlaying();
    emit recordingOpened(path);
}

void RecordingPlayer::showPlaying()
{
    ReplayCanHandler *r = replay();
    const QString path = r ? r->playingPath() : QString();
    const bool playing = !path.isEmpty();
    m_bar->setVisible(playing);
    if (!playing) {
        m_timer->stop();
        m_shownPath.clear();
        if (WindowBuses *buses = m_window->buses()) {
            const QList<DeviceDispatcher *> others = m_otherBuses;
            m_otherBuses.clear();
            for (DeviceDispatcher *bus : others)
                buses->remove(bus);
        }
        return;
    }
    if (path != m_shownPath) {
        m_shownPath = path;
        // A recording played on an empty scheme shows its units as they come. Auto add turned
        // on for it is not the engineer's choice: it is not kept for the next start.
        auto *autoAdd = m_window->findChild<QAction *>(QStringLiteral("actionAutoAdd"));
        m_filledScheme = m_window->schemeModel()->unitNodes().isEmpty();
        if (autoAdd && !autoAdd->isChecked() && m_filledScheme) {
            autoAdd->setChecked(true);
            autoAdd->setProperty(TurnedOnForRecording, true);
            m_window->statusBar()->showMessage(
                tr("Auto add is on: the recording's units join the scheme as they come"), 8000);
        }
        // A recording of several buses plays as several buses.
        playOtherBuses(r);
    }
    showRange(r->durationUs());
    {
        const QSignalBlocker blocker(m_loop);
        m_loop->setChecked(r->isLooping());
    }
    m_timer->start();
    refresh();
}

void RecordingPlayer::showRange(qint64 durationUs)
{
    const int maximum = int(std::min<qint64>(durationUs / SliderUnitUs, INT_MAX));
    if (maximum == m_position->maximum())
        return;
    const QSignalBlocker blocker(m_position);
    m_position->setRange(0, maximum);
    m_position->setPageStep(std::max(1, maximum / 20));
    m_position->setSingleStep(std::max(1, maximum / 200));
}

QString RecordingPlayer::timeText(qint64 us)
{
    const qint64 ms = us / 1000;
    return QStringLiteral("%1:%2:%3.%4")
        .arg(ms / 3600000, 2, 10, QLatin1Char('0'))
        .arg(ms / 60000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

void RecordingPlayer::refresh()
{
    ReplayCanHandler *r = replay();
    if (!r)
        return;
    // Paused first, then the position: a player that paused at the end shows the end.
    const bool paused = r->isPaused();
    const qint64 position = r->positionUs();
    // A long recording plays while it is still read: its end, and the bar's, move on with the
    // reading.
    const qint64 duration = r->durationUs();
    const int readPercent = m_reading ? -1 : r->readingPercent();
    showRange(duration);
    if (readPercent >= 0) {
        m_time->setText(tr("%1 / %2 (reading %3 %)")
                            .arg(timeText(position), timeText(duration))
                            .arg(readPercent));
    } else {
        m_time->setText(QStringLiteral("%1 / %2").arg(timeText(position), timeText(duration)));
    }
    // The end of a recording played without looping pauses the player.
    if (paused != m_pause->isChecked()) {
        const QSignalBlocker blocker(m_pause);
        m_pause->setChecked(paused);
        showPaused(paused);
    }
    if (!m_dragging) {
        const QSignalBlocker blocker(m_position);
        m_position->setValue(int(std::min<qint64>(position / SliderUnitUs, INT_MAX)));
    }
}

void RecordingPlayer::showPaused(bool paused)
{
    // The button shows what a click does: play while paused, pause while playing.
    m_pause->setIcon(
        m_bar->style()->standardIcon(paused ? QStyle::SP_MediaPlay : QStyle::SP_MediaPause));
    m_pause->setText(paused ? tr("Play") : tr("Pause"));
    m_pause->setToolTip(paused ? tr("Go on playing the recording (Space)")
                               : tr("Pause the recording (Space)"));
}
