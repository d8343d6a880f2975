#include "diagnostics/memoryaccessfunction.h"

#include "diagnostics/canflashingfunctionv1.h"
#include "diagnostics/editors/memoryaccessdock.h"
#include "diagnostics/editors/memoryaccessschemetreeitem.h"
#include "diagnostics/memoryaccessframes.h"
#include "diagnostics/offboarddiagnosticdevice.h"
#include "model/targetparameter.h"
#include "model/zxstringparameter.h"
#include "scheme/abstractschemetreeitem.h"

#include <QDebug>
#include <QThread>

using namespace MemoryAccessFrames;

namespace {

QString spnText(quint32 spn)
{
    return QStringLiteral("%1").arg(spn, 6, 16, QLatin1Char('0'));
}

} // namespace

MemoryAccessFunction::MemoryAccessFunction(QObject *parent)
    : J1939DeviceFunction(parent)
    , m_timer(this)
{
    setObjectName(QStringLiteral("MemoryAccessFunction"));
    setName(tr("Memory Access"));
    addParameter(new TargetParameter(0), QStringLiteral("Target"));
    addParameter(new ZxStringParameter, QStringLiteral("Error"));
    setDeviceType(Spontaneous, 1000);
    qRegisterMetaType<QVector<int>>("QVector<int>");
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &MemoryAccessFunction::slotMemoryAccessTimeout);
}

MemoryAccessFunction::~MemoryAccessFunction()
{
    // The dock belongs to the main window; it must not outlive the function it shows. Devices
    // are deleted while the GUI thread waits, so the pointer is not read meanwhile.
    if (m_dock)
        m_dock->deleteLater();
}

bool MemoryAccessFunction::matchMessage(const CanMessage &message)
{
    return message.extended && message.pduFormat() == PfDm14;
}

bool MemoryAccessFunction::matchTargetMessage(const CanMessage &message)
{
    // Between exchanges the answers belong to others (the flasher of the same tool unit).
    return isActive() && message.extended
           && (message.pduFormat() == PfDm15 || message.pduFormat() == PfDm16);
}

void MemoryAccessFunction::updateUserReadableAddress()
{
    setUserReadableAddress(QStringLiteral("0xd9/0xd8/0xd7"));
}

// --- Exchange -----------------------------------------------------------------------------

bool MemoryAccessFunction::onOwnThread(const char *method, bool changedOnly)
{
    if (QThread::currentThread() == thread())
        return true;
    if (qstrcmp(method, "sendData") == 0)
        QMetaObject::invokeMethod(this, method, Qt::QueuedConnection, Q_ARG(bool, changedOnly));
    else
        QMetaObject::invokeMethod(this, method, Qt::QueuedConnection);
    return false;
}

bool MemoryAccessFunction::latchTarget()
{
    const int t = target();
    m_source = j1939DeviceAddress();
    // 0xFE and 0xFF would turn a request into a broadcast; larger values corrupt the identifier.
    if (!isUnitAddress(t) || t == m_source) {
        finish(false, tr("Invalid target 0x%1").arg(t, 2, 16, QLatin1Char('0')));
        return false;
    }
    // One tool unit serves one exchange at a time: the flasher's answers share the groups.
    const auto *tool = qobject_cast<const OffBoardDiagnosticDevice *>(parentItem());
    const CanFlashingFunctionV1 *flasher = tool ? tool->flasher() : nullptr;
    if (flasher && flasher->flasherState() != CanFlashingFunctionV1::FlasherIdle) {
        finish(false, tr("The tool unit is flashing; memory access waits for its end"));
        return false;
    }
    m_target = quint8(t);
    if (!isOwnerSimulated())
        qWarning("Memory access: device 0x%02x is not simulated, answers will not reach it",
                 m_source);
    return true;
}

void MemoryAccessFunction::setMaState(int state)
{
    m_state.store(state);
    qDebug("New ma state %u", unsigned(state));
}

void MemoryAccessFunction::startTimer()
{
    m_timer.start(std::max(1, m_timeoutMs.load()));
}

void MemoryAccessFunction::finish(bool ok, const QString &text)
{
    const bool wasActive = isActive();
    m_timer.stop();
    if (wasActive)
        setMaState(Inactive);
    m_cancel.store(false);
    setErrorText(text);
    if (m_writing) {
        m_writing = false;
        noteWrite(ok, text);
    }
    emit exchangeFinished(ok, text);
}

void MemoryAccessFunction::slotRefreshWidgetData()
{
    qDebug("Refresh start");
    requestData();
}

void MemoryAccessFunction::requestData()
{
    if (!onOwnThread("requestData"))
        return;
    if (isActive()) {
        qDebug("Not inactive, returning");
        return;
    }
    if (itemCount() == 0) {
        qDebug("Parameter list empty, returning");
        return;
    }
    if (!latchTarget())
        return;
    QVector<int> pass;
    {
        std::lock_guard locker(m_tableMutex);
        for (int i = 0; i < m_table.items.size(); ++i) {
            if (m_table.items.at(i).isReadable())
                pass.append(i);
        }
        if (!pass.isEmpty())
            m_state.store(ReadWaitProceed); // claimed: no load from now on
    }
    if (pass.isEmpty()) {
        finish(false, tr("Nothing to read"));
        return;
    }
    m_pass.startRead(pass);
    m_cancel.store(false);
    setErrorText(QString());
    emit exchangeStarted();
    sendReadRequest();
}

void MemoryAccessFunction::sendReadRequest()
{
    const quint32 spn = spnAt(m_pass.item());
    emit progressChanged(
        m_pass.position(), m_pass.size(),
        (m_pass.isVerifying() ? tr("Verifying %1/%2 SPN=0x%3") : tr("Reading %1/%2 SPN=0x%3"))
            .arg(m_pass.position() + 1)
            .arg(m_pass.size())
            .arg(spnText(spn)));
    CanMessage frame = dm14(m_target, m_source, Read, spn);
    qDebug("DM14: %s", qUtf8Printable(frame.text));
    sendMessage(frame);
    setMaState(ReadWaitProceed);
    startTimer();
}

void MemoryAccessFunction::sendData(bool changedOnly)
{
    if (!onOwnThread("sendData", changedOnly))
        return;
    if (isActive()) {
        qDebug("Not inactive, returning");
        return;
    }
    if (itemCount() == 0) {
        qDebug("Parameter list empty, returning");
        return;
    }
    if (!latchTarget())
        return;
    if (!m_readDone.load() && !m_writeWithoutRead.load()) {
        finish(false, tr("Read the values of the unit before writing"));
        return;
    }
    if (!m_backupOk.load()) {
        finish(false, tr("No backup of the values read: writing refused"));
        return;
    }
    QVector<int> pass;
    QVector<quint32> raws;
    QVector<quint8> sizes;
    const QString refusal = preparePass(changedOnly, &pass, &raws, &sizes);
    if (!refusal.isEmpty()) {
        finish(false, refusal);
        return;
    }
    m_pass.startWrite(pass, raws, sizes);
    m_writing = true;
    m_cancel.store(false);
    setErrorText(QString());
    emit exchangeStarted();
    sendWriteRequest();
}

QString MemoryAccessFunction::preparePass(bool changedOnly, QVector<int> *pass,
                                          QVector<quint32> *raws, QVector<quint8> *sizes)
{
    std::lock_guard locker(m_tableMutex);
    // Every value of the pass is checked before the first frame: all or nothing is sent.
    for (int i = 0; i < m_table.items.size(); ++i) {
        const SpnItem &item = m_table.items.at(i);
        if (!item.isWritable() || (changedOnly && !item.modified))
            continue;
        quint32 raw = 0;
        quint8 size = m_table.slotFor(item).size;
        if (!MemoryAccessTable::isValidSize(size))
            return tr("Invalid size");
        if (!m_table.toRaw(item, item.value, &raw, &size))
            return tr("Invalid value for SPN=0x%1").arg(spnText(item.spn));
        pass->append(i);
        raws->append(raw);
        sizes->append(size);
    }
    if (pass->isEmpty())
        return tr("Nothing to write");
    m_state.store(WriteWaitProceed); // claimed: no load from now on
    return QString();
}

void MemoryAccessFunction::sendAllData()
{
    sendData(false);
}

void MemoryAccessFunction::sendChangedData()
{
    sendData(true);
}

void MemoryAccessFunction::sendWriteRequest()
{
    const quint32 spn = spnAt(m_pass.item());
    emit progressChanged(m_pass.position(), m_pass.size(),
                         tr("Writing %1/%2 SPN=0x%3")
                             .arg(m_pass.position() + 1)
                             .arg(m_pass.size())
                             .arg(spnText(spn)));
    CanMessage frame = dm14(m_target, m_source, Write, spn);
    qDebug("DM14: %s", qUtf8Printable(frame.text));
    sendMessage(frame);
    setMaState(WriteWaitProceed);
    startTimer();
}

void MemoryAccessFunction::cancel()
{
    if (!onOwnThread("cancel"))
        return;
    const int s = maState();
    if (s == ReadWaitProceed || s == ReadWaitData || s == ReadWaitCompletion)
        finish(false, m_pass.isVerifying() ? tr("Verify cancelled") : tr("Read cancelled"));
    else if (s != Inactive)
        m_cancel.store(true);
}

void MemoryAccessFunction::slotMemoryAccessTimeout()
{
    const int s = maState();
    finish(false, s >= WriteWaitProceed && s <= ReadWaitCompletion ? tr("Device timeout")
                                                                   : tr("Unknown timeout"));
}

bool MemoryAccessFunction::dispatchTargetMessageImpl(const CanMessage &message,
                                                     DispatchResult *result)
{
    result->targetItem = this;
    const int s = maState();
    // Late answers (after a time-out or an error) and frames of other units are not ours.
    if (s == Inactive)
        return true;
    if (message.address() != m_target) {
        qDebug("Memory access: ignoring frame from 0x%02x, talking to 0x%02x", message.address(),
               m_target);
        return true;
    }
    counterInc();
    setUpdateNeeded();
    const bool isDm15 = message.pduFormat() == PfDm15;
    quint8 status = 0;
    if (isDm15 && !parseDm15(message, &status))
        return true; // too short to say anything; a silent unit ends in the time-out
    if (m_pass.isOver()) {
        qDebug("This shouldn't happend got message after itemIndex already passed size");
        finish(false, QStringLiteral("ASSERT FAULT"));
        return true;
    }
    // A busy unit keeps every wait going without restarting the time-out.
    if (isDm15 && status == Busy)
        return true;
    if (s == ReadWaitProceed || s == ReadWaitData || s == ReadWaitCompletion)
        onReadAnswer(s, message, isDm15 ? status : NotDm15);
    else
        onWriteAnswer(s, message, isDm15 ? status : NotDm15);
    return true;
}

void MemoryAccessFunction::onReadAnswer(int state, const CanMessage &message, int status)
{
    const bool isDm15 = status != NotDm15;
    switch (state) {
    case ReadWaitProceed:
        if (!isDm15)
            finish(false, tr("Waiting for DM15 but got pduformat %1")
                              .arg(message.pduFormat(), 2, 16, QLatin1Char('0')));
        else if (status == Proceed) {
            setMaState(ReadWaitData);
            startTimer();
        } else
            finish(false, tr("Waiting proceeed for SPN=0x%2 but got other status %1")
                              .arg(status)
                              .arg(spnText(spnAt(m_pass.item()))));
        break;
    case ReadWaitData:
        if (isDm15)
            finish(false, tr("Waiting data but got other message %1").arg(message.toString()));
        else
            onReadData(message);
        break;
    case ReadWaitCompletion:
        if (!isDm15)
            finish(
                false,
                tr("Waiting for DM15 completion but got other message %1").arg(message.toString()));
        else
            onReadCompletion(quint8(status));
        break;
    default:
        break;
    }
}

void MemoryAccessFunction::onWriteAnswer(int state, const CanMessage &message, int status)
{
    const bool isDm15 = status != NotDm15;
    switch (state) {
    case WriteWaitProceed:
        if (isDm15 && status == Proceed) {
            CanMessage frame = dm16(m_target, m_source, m_pass.rawSize(), m_pass.raw());
            sendMessage(frame);
            setMaState(WriteWaitCompletion);
            startTimer();
        } else {
            finish(false, tr("Waiting proceed but got other message"));
        }
        break;
    case WriteWaitCompletion:
        if (!isDm15)
            finish(false, tr("Waiting for DM15 but got pduformat %1")
                              .arg(message.pduFormat(), 2, 16, QLatin1Char('0')));
        else if (status == Completed)
            onWriteCompletion();
        else
            finish(false, tr("Waiting complete for SPN=0x%2 but got other status %1")
                              .arg(status)
                              .arg(spnText(spnAt(m_pass.item()))));
        break;
    default:
        break;
    }
}

void MemoryAccessFunction::onReadData(const CanMessage &message)
{
    quint8 size = 0;
    quint32 raw = 0;
    if (!parseDm16(message, &size, &raw)) {
        // The old value stays: a guessed 0 would be written back by the next commit.
        finish(false, tr("Invalid data length %1").arg(message.length > 0 ? message.data[0] : 0));
        return;
    }
    const int index = m_pass.item();
    {
        std::lock_guard locker(m_tableMutex);
        Q_ASSERT(index < m_table.items.size()); // loads are refused during exchanges
        SpnItem &item = m_table.items[index];
        const double value = m_table.toEngineering(item, raw);
        if (m_pass.isVerifying()) {
            const bool mismatch = m_pass.raw() != raw;
            item.readChanged = mismatch;
            if (mismatch)
                m_pass.markVerifyFailed();
        } else {
            item.readChanged = !MemoryAccessTable::nearlyEqual(value, item.value);
        }
        item.value = value;
    }
    setMaState(ReadWaitCompletion);
    startTimer();
}

void MemoryAccessFunction::onReadCompletion(quint8 status)
{
    if (status != Proceed && status != Completed) {
        finish(false, tr("Waiting for completion but got other message %1").arg(status));
        return;
    }
    if (m_pass.advance()) {
        sendReadRequest();
        return;
    }
    onReadCompleted();
}

void MemoryAccessFunction::onReadCompleted()
{
    m_timer.stop();
    setMaState(Inactive);
    {
        std::lock_guard locker(m_tableMutex);
        for (int index : m_pass.items())
            m_table.items[index].modified = false;
    }
    const bool first = m_firstRead.exchange(false);
    emit valuesRead(m_pass.items(), !first || m_pass.isVerifying());
    emit progressChanged(m_pass.size(), m_pass.size(), QString());
    if (m_pass.isVerifying()) {
        const QVector<int> &failed = m_pass.verifyFailed();
        if (failed.isEmpty()) {
            finish(true, tr("Write complete, %1 values verified").arg(m_pass.size()));
        } else {
            for (int index : failed)
                qWarning("Verify failed for SPN=0x%s", qPrintable(spnText(spnAt(index))));
            finish(false, tr("Verify failed for SPN=0x%1").arg(spnText(spnAt(failed.first()))));
        }
        return;
    }
    m_readDone.store(true);
    QString error;
    m_backupOk.store(writeBackup(&error));
    if (!m_backupOk.load()) {
        finish(false, tr("Read complete, backup failed: %1").arg(error));
        return;
    }
    noteRead();
    finish(true, tr("Read complete"));
}

void MemoryAccessFunction::onWriteCompletion()
{
    {
        std::lock_guard locker(m_tableMutex);
        SpnItem &item = m_table.items[m_pass.item()];
        // The value the unit now holds, as the raw number represents it.
        item.value = m_table.toEngineering(item, m_pass.raw());
        item.modified = false;
    }
    m_pass.markWritten();
    const bool more = m_pass.advance();
    const bool cancelled = m_cancel.load();
    if (more && !cancelled) {
        sendWriteRequest();
        return;
    }
    CanMessage closing = dm14(m_target, m_source, OperationCompleted, NoPointer);
    qDebug("DM14: %s", qUtf8Printable(closing.text));
    sendMessage(closing);
    emit valuesWritten(m_pass.written());
    if (cancelled) {
        finish(
            false,
            tr("Write cancelled after %1 of %2").arg(m_pass.written().size()).arg(m_pass.size()));
        return;
    }
    setErrorText(tr("Write complete"));
    startVerify();
}

void MemoryAccessFunction::startVerify()
{
    bool verifying = false;
    {
        std::lock_guard locker(m_tableMutex);
        verifying = m_pass.startVerify(
            [this](int index) { return m_table.items.at(index).isReadable(); });
    }
    if (!verifying) {
        finish(true, tr("Write complete"));
        return;
    }
    sendReadRequest();
}

AbstractSchemeTreeItem *MemoryAccessFunction::createTreeItem()
{
    return new MemoryAccessSchemeTreeItem(this);
}

void MemoryAccessFunction::showDataWidget(SchemeWindow *window)
{
    MemoryAccessDock::showFor(this, window);
}
