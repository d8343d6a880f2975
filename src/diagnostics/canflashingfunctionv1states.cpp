// The state machine of the flashing function: start, the unit's answers and echoes, the timer.

#include "diagnostics/canflashingfunctionv1.h"

#include "can/dispatchresult.h"
#include "diagnostics/memoryaccessframes.h"
#include "model/zxboolparameter.h"
#include "model/zxintparameter.h"
#include "model/zxstringparameter.h"

#include <QDebug>
#include <QMetaEnum>

#include <algorithm>

using namespace MemoryAccessFrames;

namespace {

constexpr quint8 PfRequest = 0xEA;
constexpr quint8 RequestPriority = 6;

QByteArray frameText(const CanMessage &m)
{
    return QByteArray(reinterpret_cast<const char *>(m.data), m.length).toHex(' ');
}

} // namespace

void CanFlashingFunctionV1::setFlasherState(FlasherStates state)
{
    m_state.store(state);
    intParameter(State)->setValue(state);
    m_stateTimer.stop();
    int interval = 0;
    QString text;
    switch (state) {
    case FlasherWaitingResponse:
        interval = m_intervals.responseMs;
        text = tr("Waiting Response");
        break;
    case FlasherWaitingBootLoad:
        interval = m_intervals.bootLoadMs;
        text = tr("Waiting Bootload");
        break;
    case FlasherWaitingAck:
        interval = m_intervals.ackMs;
        text = tr("Reflashing in progress");
        break;
    case FlasherDelay:
        interval = std::max(0, intParameter(AckDelay)->value());
        text = tr("Reflashing in progress");
        break;
    case FlasherFinished:
        interval = m_intervals.resultMs;
        text = tr("Reflash Finished");
        break;
    case FlasherError:
        interval = m_intervals.resultMs;
        text = tr("Reflash Error");
        break;
    case FlasherIdle:
    case FlasherGotAck:
        break;
    }
    stringParameter(StateText)->setValue(text);
    m_stateTimer.setInterval(interval);
    if (interval > 0)
        m_stateTimer.start();
    // Low latency only while frames are exchanged.
    if (state == FlasherIdle || state == FlasherFinished || state == FlasherError)
        setLowLatencyMode(false);
    if (state == FlasherFinished)
        endRun(QStringLiteral("finished"));
    else if (state == FlasherError)
        endRun(QStringLiteral("error"));
    else if (state == FlasherIdle && m_runActive) // stopped, or the request loop cancelled
        endRun(QStringLiteral("stopped"));
    qDebug("new flasher state: %s",
           QMetaEnum::fromType<FlasherStates>().valueToKey(state));
    setUpdateNeeded();
    emit flasherStateChanged(state);
}

void CanFlashingFunctionV1::refuse(const QString &text)
{
    qDebug("Flasher: %s", qUtf8Printable(text));
    stringParameter(StateText)->setValue(text);
    setUpdateNeeded();
}

void CanFlashingFunctionV1::fail(const QString &reason)
{
    const int count = m_transfer.count();
    const int block = std::min(m_transfer.index() + 1, count);
    const bool inBootLoader = flasherState() != FlasherWaitingResponse;
    QString text = inBootLoader
                       ? tr("Reflash error at block %1 of %2: %3. The unit waits in its boot "
                            "loader without a complete program: keep it powered and start again.")
                             .arg(block)
                             .arg(count)
                             .arg(reason)
                       : tr("Reflash error: %1. The unit did not enter its boot loader.").arg(reason);
    setLastResult(text);
    qDebug("Flasher: %s", qUtf8Printable(text));
    setFlasherState(FlasherError);
}

void CanFlashingFunctionV1::send(CanMessage frame)
{
    sendMessage(frame);
    emit frameSent(frame);
}

void CanFlashingFunctionV1::sendBootLoadRequest()
{
    send(bootLoadDm14(m_target, m_source, BootLoad));
}

void CanFlashingFunctionV1::setProgressFor(int index)
{
    const int count = std::max(1, m_transfer.count());
    intParameter(Progress)->setValue(int(qint64(index) * 100 / count));
}

void CanFlashingFunctionV1::sendFrame(int index)
{
    if (!m_transfer.hasFrame(index))
        return;
    m_transfer.setIndex(index);
    intParameter(TransmitIndex)->setValue(index);
    setProgressFor(index);
    send(m_transfer.frame(index));
}

// --- Commands ------------------------------------------------------------------------------

void CanFlashingFunctionV1::slotStart()
{
    if (flasherState() != FlasherIdle) {
        refuse(tr("A run is in progress; press Stop first"));
        return;
    }
    const int t = target();
    m_source = j1939DeviceAddress();
    // 0xFE and 0xFF would reach every unit of the bus; larger values corrupt the identifier.
    if (!isUnitAddress(t) || t == m_source) {
        refuse(tr("Invalid target 0x%1").arg(t, 2, 16, QLatin1Char('0')));
        return;
    }
    const QByteArray program = programData();
    if (program.isEmpty()) {
        refuse(tr("No program file loaded"));
        return;
    }
    m_target = quint8(t);
    m_busyAnswers = 0;
    m_busyPending = false;
    setLowLatencyMode(boolParameter(LowLatency)->value());
    m_transfer.start(programFrames(program, m_target, m_source));
    intParameter(TransmitIndex)->setValue(0);
    intParameter(Progress)->setValue(0);
    setLastResult(QString());
    qDebug("Flasher: %d frames for 0x%02x", m_transfer.count(), m_target);
    beginRun();
    sendBootLoadRequest();
    setFlasherState(FlasherWaitingResponse);
}

void CanFlashingFunctionV1::slotStop()
{
    if (isFlashing()) {
        setLastResult(tr("Stopped at block %1 of %2. The unit waits in its boot loader without a "
                         "complete program: keep it powered and start again.")
                          .arg(m_transfer.index() + 1)
                          .arg(m_transfer.count()));
    } else if (m_runActive) {
        setLastResult(tr("Stopped before the unit entered its boot loader."));
    }
    setFlasherState(FlasherIdle);
}

void CanFlashingFunctionV1::setContinuousBootload(bool on)
{
    const bool was = boolParameter(Continuous)->value();
    boolParameter(Continuous)->setValue(on);
    // Only the request loop is cancelled; a transfer under way goes on.
    if (was && !on && flasherState() == FlasherWaitingResponse) {
        setLastResult(tr("Boot-load requests cancelled; the unit did not answer."));
        setFlasherState(FlasherIdle);
    }
    setUpdateNeeded();
}

void CanFlashingFunctionV1::sendRequest(quint32 pgn)
{
    if (flasherState() != FlasherIdle && flasherState() != FlasherFinished
        && flasherState() != FlasherError) {
        refuse(tr("No requests during a run"));
        return;
    }
    const int t = target();
    const quint8 source = j1939DeviceAddress();
    if (!isUnitAddress(t) || t == source) {
        refuse(tr("Invalid target 0x%1").arg(t, 2, 16, QLatin1Char('0')));
        return;
    }
    CanMessage m;
    m.id = quint32(RequestPriority) << 26 | quint32(PfRequest) << 16 | quint32(t) << 8 | source;
    m.length = 3;
    m.data[0] = quint8(pgn);
    m.data[1] = quint8(pgn >> 8);
    m.data[2] = quint8(pgn >> 16);
    send(m);
}

void CanFlashingFunctionV1::slotRequestEcuid()
{
    sendRequest(0xFDC5);
}

void CanFlashingFunctionV1::slotRequestSoft()
{
    sendRequest(0xFEDA);
}

void CanFlashingFunctionV1::slotRequestHours()
{
    sendRequest(0xFEE5);
}

// --- Frames from the unit ------------------------------------------------------------------

bool CanFlashingFunctionV1::dispatchTargetMessageImpl(const CanMessage &message,
                                                      DispatchResult *result)
{
    result->targetItem = this;
    if (message.address() != m_target) {
        result->description = QStringLiteral("Wrong source");
        return true;
    }
    counterInc();
    setUpdateNeeded();
    switch (flasherState()) {
    case FlasherIdle:
        return true;
    case FlasherFinished:
        // A repeated echo or a closing answer does not overturn the result.
        qDebug("Flasher: late frame after the end");
        return true;
    case FlasherError:
        result->description = QStringLiteral("State error: unable to process message");
        return true;
    case FlasherWaitingResponse:
        onResponse(message, result);
        return true;
    case FlasherWaitingBootLoad:
        result->description = QStringLiteral("Got message when waiting for device to load");
        qDebug("Got message %s when waiting for device to load", frameText(message).constData());
        return true;
    case FlasherWaitingAck:
        onEcho(message, result);
        return true;
    default:
        return true; // FlasherGotAck, FlasherDelay: taken, nothing changes
    }
}

void CanFlashingFunctionV1::onResponse(const CanMessage &message, DispatchResult *result)
{
    quint8 status = 0;
    // Only a DM15 answers the boot-load request.
    if (message.pduFormat() != PfDm15 || !parseDm15(message, &status)) {
        result->description = QStringLiteral("Got response of wrong type");
        qDebug("Got response of wrong type %u", unsigned(message.length > 1 ? message.data[1] : 0));
        return;
    }
    switch (status) {
    case Busy:
        // Asked again when the response wait ends, not at bus speed.
        if (++m_busyAnswers > MaxBusyAnswers && !boolParameter(Continuous)->value()) {
            fail(tr("the unit stays busy"));
            return;
        }
        m_busyPending = true;
        setFlasherState(FlasherWaitingResponse);
        return;
    case Completed:
        setFlasherState(FlasherWaitingBootLoad);
        send(bootLoadDm14(m_target, m_source, OperationCompleted));
        return;
    case Proceed:
        result->description = QStringLiteral("Got response of wrong type");
        qDebug("Got response of wrong type %u", unsigned(message.data[1]));
        return;
    default:
        fail(tr("the unit refused boot loading (status %1)").arg(status));
        return;
    }
}

void CanFlashingFunctionV1::onEcho(const CanMessage &message, DispatchResult *result)
{
    const FlashTransfer::Echo echo = m_transfer.classify(message);
    if (echo == FlashTransfer::NotData) {
        qDebug("Flasher: ignoring frame %s while waiting for an echo",
               frameText(message).constData());
        return;
    }
    if (echo == FlashTransfer::OldEcho) {
        // An old echo neither resends nor extends the wait.
        result->description = QStringLiteral("Duplicate ACK");
        qDebug("ACK for old frame");
        return;
    }
    m_transfer.resetTimeouts();
    qDebug("Got ACK");
    const int i = m_transfer.index();
    if (echo == FlashTransfer::Matches) {
        m_transfer.resetMismatches();
        result->description = QStringLiteral("ACK");
        if (m_transfer.isLast()) {
            qDebug("Finished flashing");
            intParameter(Progress)->setValue(100);
            setLastResult(tr("Reflash finished: %1 blocks to 0x%2, %3 retransmissions")
                              .arg(m_transfer.count())
                              .arg(m_target, 2, 16, QLatin1Char('0'))
                              .arg(m_transfer.retransmissions()));
            setFlasherState(FlasherFinished);
            return;
        }
        m_transfer.setIndex(i + 1);
        intParameter(TransmitIndex)->setValue(i + 1);
        if (intParameter(AckDelay)->value() > 0) {
            qDebug("Waiting before sending next frame");
            setFlasherState(FlasherDelay);
            return;
        }
        qDebug("Sending Next frame %u of %u", unsigned(i + 1), unsigned(m_transfer.count()));
        sendFrame(i + 1);
        setFlasherState(FlasherWaitingAck);
        return;
    }
    result->description = QStringLiteral("ACK doesn't match sent");
    qDebug("ACK %s doesn't match sent %s", frameText(message).constData(),
           frameText(m_transfer.frame(i)).constData());
    if (!boolParameter(RetransmitOnError)->value()) {
        fail(tr("the echo does not match the frame sent"));
        return;
    }
    const int mismatches = m_transfer.countMismatch();
    if (mismatches > MaxRetransmits) {
        fail(tr("%1 echoes in a row do not match the frame sent").arg(mismatches));
        return;
    }
    qDebug("Retransmitting last frame");
    m_transfer.countRetransmission();
    sendFrame(i);
    setFlasherState(FlasherWaitingAck);
}

// --- Timer ---------------------------------------------------------------------------------

void CanFlashingFunctionV1::slotFlasherTimeout()
{
    switch (flasherState()) {
    case FlasherWaitingResponse:
        if (m_busyPending) {
            m_busyPending = false;
            sendBootLoadRequest();
            setFlasherState(FlasherWaitingResponse);
            return;
        }
        qDebug("Got timeout when waiting for inital Boot Load request response");
        if (!boolParameter(Continuous)->value()) {
            fail(tr("no answer to the boot-load request"));
            return;
        }
        sendBootLoadRequest();
        setFlasherState(FlasherWaitingResponse);
        return;
    case FlasherWaitingBootLoad:
        if (m_transfer.isEmpty()) {
            qDebug("Forgot to fill m_flashBuffer");
            fail(tr("no program data"));
            return;
        }
        qDebug("Sending First Boot Load Data");
        sendFrame(0);
        setFlasherState(FlasherWaitingAck);
        return;
    case FlasherWaitingAck:
        qDebug("Got timeout when waiting for ack response");
        if (m_transfer.countTimeout() > MaxAckTimeouts) {
            fail(tr("no echo from the unit"));
            return;
        }
        qDebug("Retransmit");
        m_transfer.countRetransmission();
        sendFrame(m_transfer.index());
        setFlasherState(FlasherWaitingAck);
        return;
    case FlasherDelay:
        qDebug("Sending Next frame");
        sendFrame(m_transfer.index());
        setFlasherState(FlasherWaitingAck);
        return;
    case FlasherFinished:
    case FlasherError:
        setFlasherState(FlasherIdle);
        return;
    default:
        return;
    }
}
