#include "ui/identificationaction.h"

#include "can/guimessagenotifier.h"
#include "diagnostics/canflashingfunctionv1.h"
#include "diagnostics/identificationcodec.h"
#include "diagnostics/offboarddiagnosticdevice.h"
#include "diagnostics/toolrequest.h"
#include "model/j1939device.h"
#include "model/staticpgnj1939devicefunction.h"
#include "ui/mainwindow.h"
#include "ui/unitactions.h"

#include <QDateTime>
#include <QMessageBox>
#include <QTimer>

namespace {

namespace Codec = IdentificationCodec;

constexpr quint8 PfAcknowledgement = 0xE8;
constexpr quint8 AckPositive = 0;
constexpr int PollMs = 50;

// A negative acknowledgement (NACK, access denied, cannot respond) of a request for `pgn`.
bool isRefusal(const CanMessage &m, quint32 pgn)
{
    if (m.pduFormat() != PfAcknowledgement || m.length < 8 || m.data[0] == AckPositive)
        return false;
    const quint32 acknowledged
        = quint32(m.data[5]) | quint32(m.data[6]) << 8 | quint32(m.data[7]) << 16;
    return acknowledged == pgn;
}

// The group a frame of its own carries: PDU1 formats without their destination.
quint32 framePgn(const CanMessage &m)
{
    return m.pgn() & 0x3FFFF;
}

bool isTransport(const CanMessage &m)
{
    return m.pduFormat() == J1939Device::PfTransportControl
           || m.pduFormat() == J1939Device::PfTransportData;
}

} // namespace

IdentificationAction::IdentificationAction(MainWindow *window)
    : QObject(window)
    , m_window(window)
    , m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("identificationAction"));
    m_timer->setInterval(PollMs);
    connect(m_timer, &QTimer::timeout, this, &IdentificationAction::poll);
}

QVector<quint32> IdentificationAction::steps()
{
    return {Codec::PgnEcu, Codec::PgnSoftware, Codec::PgnComponent, Codec::PgnVehicle,
            Codec::PgnDm19};
}

QString IdentificationAction::label(quint32 pgn)
{
    switch (pgn) {
    case Codec::PgnEcu:
        return tr("ECU identification");
    case Codec::PgnSoftware:
        return tr("Software identification");
    case Codec::PgnComponent:
        return tr("Component identification");
    case Codec::PgnVehicle:
        return tr("Vehicle identification number");
    case Codec::PgnDm19:
        return tr("Calibrations");
    default:
        return QString();
    }
}

bool IdentificationAction::isRunning() const
{
    return m_step >= 0;
}

QString IdentificationAction::unitName() const
{
    return m_unitName;
}

bool IdentificationAction::start(AbstractDisplayableItem *unit, OffBoardDiagnosticDevice *tool)
{
    if (isRunning() || !unit || !tool)
        return false;
    m_unit = unit;
    m_tool = tool;
    m_address = quint8(unit->address().value);
    m_unitName = unit->name();
    m_answers.clear();
    m_step = 0;
    if (GuiMessageNotifier *notifier = m_window->notifier())
        connect(notifier, &GuiMessageNotifier::notifyPack, this, &IdentificationAction::takePack,
                Qt::UniqueConnection);
    // The flasher keeps its own copies of the ECU and software answers of its target.
    if (CanFlashingFunctionV1 *flasher = tool->flasher()) {
        const int target = m_address;
        QMetaObject::invokeMethod(flasher, [flasher, target] { flasher->setTarget(target); });
    }
    ask();
    m_timer->start();
    return true;
}

void IdentificationAction::ask()
{
    m_stepStart = QDateTime::currentMSecsSinceEpoch();
    m_toolSerial = m_tool ? m_tool->lastLongMessage().serial : 0;
    const quint32 pgn = steps().at(m_step);
    const quint8 target = m_address;
    QPointer<OffBoardDiagnosticDevice> tool = m_tool;
    // From the tool's address, on the bus thread.
    QMetaObject::invokeMethod(tool, [tool, pgn, target] {
        if (!tool)
            return;
        CanMessage m = ToolRequest::frame(pgn, target, quint8(tool->address().value));
        tool->sendMessage(m);
    });
}

void IdentificationAction::poll()
{
    if (!isRunning())
        return;
    if (!m_unit || !m_tool) {
        // The unit or the tool left the scheme: what came so far is all there is.
        finish();
        return;
    }
    const quint32 pgn = steps().at(m_step);
    const OffBoardDiagnosticDevice::LongMessage last = m_tool->lastLongMessage();
    if (last.serial != m_toolSerial && last.peer == m_address && (last.pgn & 0x3FFFF) == pgn) {
        fillUnitFunction(pgn, last.data);
        answered(last.data);
        return;
    }
    if (QDateTime::currentMSecsSinceEpoch() - m_stepStart > UnitActions::s_identificationTimeoutMs)
        finishStep(QString());
}

void IdentificationAction::takePack(const AbstractCanHandler::MessagePack &pack)
{
    for (const auto &entry : pack) {
        if (!isRunning())
            return;
        const CanMessage &m = entry.first;
        const DispatchResult &r = entry.second;
        if (!m.extended || !r.isReceived() || m.address() != m_address)
            continue;
        const quint32 pgn = steps().at(m_step);
        if (isRefusal(m, pgn)) {
            finishStep(tr("not supported (negative acknowledgement)"));
        } else if (!r.payload.isEmpty() && (r.pgn & 0x3FFFF) == pgn) {
            // A broadcast of the unit, reassembled by its device.
            answered(r.payload);
        } else if (!isTransport(m) && framePgn(m) == pgn) {
            answered(QByteArray(reinterpret_cast<const char *>(m.data), m.length));
        }
    }
}

void IdentificationAction::answered(const QByteArray &data)
{
    const QString text = Codec::summary(steps().at(m_step), data);
    finishStep(text.isEmpty() ? tr("(empty)") : text);
}

void IdentificationAction::finishStep(const QString &text)
{
    m_answers << (text.isEmpty() ? tr("no answer") : text);
    if (++m_step < steps().size()) {
        ask();
        return;
    }
    finish();
}

void IdentificationAction::finish()
{
    m_step = -1;
    m_timer->stop();
    showBox();
    emit finished();
}

void IdentificationAction::fillUnitFunction(quint32 pgn, const QByteArray &data)
{
    auto *unit = qobject_cast<J1939Device *>(m_unit.data());
    StaticPgnJ1939DeviceFunction *function = unit ? unit->functionForPgn(pgn & 0xFFFF) : nullptr;
    if (!function)
        return;
    QPointer<StaticPgnJ1939DeviceFunction> f = function;
    QMetaObject::invokeMethod(f, [f, data] {
        if (f && f->dispatchBroadcastDataImpl(data)) {
            f->counterInc();
            f->setUpdateNeeded();
        }
    });
}

void IdentificationAction::showBox()
{
    QStringList lines;
    const QVector<quint32> all = steps();
    for (int i = 0; i < all.size(); ++i)
        lines << tr("%1: %2").arg(label(all.at(i)), m_answers.value(i, tr("no answer")));
    const QString name = m_unit ? m_unit->name() : tr("%1 (gone)").arg(m_unitName);
    auto *box = new QMessageBox(QMessageBox::Information, tr("Identification"),
                                tr("Identification of %1").arg(name), QMessageBox::Ok, m_window);
    box->setObjectName(QStringLiteral("identificationBox"));
    box->setInformativeText(lines.join(QLatin1Char('\n')));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}
