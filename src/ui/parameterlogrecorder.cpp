#include "ui/parameterlogrecorder.h"

#include "can/busclock.h"

#include "app/parameterlog.h"
#include "util/userfolders.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QMainWindow>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>

ParameterLogRecorder::ParameterLogRecorder(QMainWindow *window)
    : QObject(window)
    , m_window(window)
    , m_log(std::make_unique<ParameterLog>())
    , m_startAction(window->findChild<QAction *>(QStringLiteral("actionStartParameterLog")))
    , m_liveAction(window->findChild<QAction *>(QStringLiteral("actionLiveParameterLog")))
{
    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("parameterLogTimer"));
    connect(m_timer, &QTimer::timeout, this, &ParameterLogRecorder::slotParameterLogTick);
}

ParameterLogRecorder::~ParameterLogRecorder() = default;

void ParameterLogRecorder::addStatusWidgets(QStatusBar *bar)
{
    // The counter has its caption, so the number says what it counts.
    auto *caption = new QLabel(tr("Log records:"), bar);
    caption->setObjectName(QStringLiteral("parameterLogCaption"));
    bar->addPermanentWidget(caption);
    m_counter = new QLabel(QStringLiteral("0"), bar);
    m_counter->setObjectName(QStringLiteral("parameterLogCounterLabel"));
    m_counter->setToolTip(tr("Parameter log records"));
    bar->addPermanentWidget(m_counter);
}

void ParameterLogRecorder::showMessage(const QString &text)
{
    m_window->statusBar()->showMessage(text);
}

bool ParameterLogRecorder::start(const SchemeTreeModel *model)
{
    QSettings settings;
    int period = settings.value(QStringLiteral("ParameterLog/Period"), 1000).toInt();
    if (period < 1)
        period = 1000;
    const QString directory = UserFolders::logDirectory();
    const QList<ParameterLog::Column> columns = ParameterLog::collectColumns(model);
    if (columns.isEmpty()) {
        // A file of times alone helps nobody: say what the log needs instead.
        m_startAction->setChecked(false);
        showMessage(tr("Nothing to log: mark the items to log with Filter On "
                       "(right-click them in the scheme tree), then start the log."));
        return false;
    }
    const QDateTime startTime = QDateTime::currentDateTime();
    const QString path = ParameterLog::fileName(directory, startTime);
    // Records are on the bus time (a played recording's own); the name on the wall clock.
    if (!m_log->start(path, columns, m_clock().nowMs())) {
        m_startAction->setChecked(false);
        return false;
    }
    m_records = 0;
    m_counter->setText(QStringLiteral("0"));
    m_timer->setInterval(period);
    m_timer->start();
    const QString written = QDir::toNativeSeparators(m_log->path());
    m_counter->setToolTip(tr("Parameter log records, written to %1").arg(written));
    showMessage(tr("Parameter log started: %1").arg(written));
    return true;
}

void ParameterLogRecorder::stop()
{
    m_timer->stop();
    if (!m_log->isRunning())
        return;
    const QString written = QDir::toNativeSeparators(m_log->path());
    m_log->stop();
    m_counter->setToolTip(tr("Parameter log records"));
    showMessage(tr("Parameter log stopped: %n records in %1", nullptr, m_records).arg(written));
}

void ParameterLogRecorder::slotParameterLogTick()
{
    if (!m_log->isRunning()) {
        m_timer->stop();
        return;
    }
    // A paused recording adds no time, so no record.
    const BusClock &clock = m_clock();
    if (clock.followsRecording() && clock.rate() <= 0)
        return;
    if (!m_log->writeRecord(clock.nowMs(), m_liveAction->isChecked())) {
        // What was written so far stays; the user learns why the log ended.
        const QString reason = m_log->errorString();
        m_startAction->setChecked(false);
        showMessage(tr("Parameter log stopped: %1").arg(reason));
        return;
    }
    ++m_records;
    m_counter->setText(QString::number(m_records));
}
