#include "diagnostics/canflashingfunctionv1.h"

#include "diagnostics/editors/canflashingfunctionv1schemetreeitem.h"
#include "diagnostics/journalnotes.h"
#include "diagnostics/memoryaccessframes.h"
#include "model/targetparameter.h"
#include "model/zxboolparameter.h"
#include "model/zxintparameter.h"
#include "model/zxstringparameter.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDomElement>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

constexpr quint32 PgnEcuid = 0xFDC5;
constexpr quint32 PgnSoft = 0xFEDA;

bool isTransferState(int s)
{
    return s == CanFlashingFunctionV1::FlasherWaitingBootLoad
           || s == CanFlashingFunctionV1::FlasherWaitingAck
           || s == CanFlashingFunctionV1::FlasherDelay;
}

} // namespace

CanFlashingFunctionV1::CanFlashingFunctionV1(QObject *parent)
    : J1939DeviceFunction(parent)
    , m_stateTimer(this)
{
    setObjectName(QStringLiteral("CanFlashingFunctionV1"));
    setName(tr("Flashing Function"));
    addParameter(new TargetParameter(0), QStringLiteral("TD"));
    addIntParameter(QStringLiteral("FS"));
    addIntParameter(QStringLiteral("P"));
    addIntParameter(QStringLiteral("TSI"));
    addBoolParameter(QStringLiteral("CONT"));
    addBoolParameter(QStringLiteral("LL"));
    addBoolParameter(QStringLiteral("RE"));
    addStringParameter(QStringLiteral("FILE"));
    addStringParameter(QStringLiteral("STATE"));
    addIntParameter(QStringLiteral("DELAY"));
    addStringParameter(QStringLiteral("SOFT"));
    addStringParameter(QStringLiteral("ECUID"));
    const char *descriptions[] = {QT_TR_NOOP("Target device"),
                                  QT_TR_NOOP("Flasher State"),
                                  QT_TR_NOOP("Progress"),
                                  QT_TR_NOOP("Transmit Sequence Index"),
                                  QT_TR_NOOP("Continuous Bootload RRs"),
                                  QT_TR_NOOP("Low Latency Mode"),
                                  QT_TR_NOOP("Retransmit on ACK error"),
                                  QT_TR_NOOP("Filename"),
                                  QT_TR_NOOP("Flasher State"),
                                  QT_TR_NOOP("Ack to next delay"),
                                  QT_TR_NOOP("SoftId"),
                                  QT_TR_NOOP("EcuId")};
    for (int i = 0; i < parameters().size(); ++i)
        parameters().at(i)->setWords(tr(descriptions[i]));
    setDeviceType(Spontaneous, 5000);
    setAddress({ItemAddress::Pgn, 0xD900});
    m_stateTimer.setSingleShot(true);
    connect(&m_stateTimer, &QTimer::timeout, this, &CanFlashingFunctionV1::slotFlasherTimeout);
}

CanFlashingFunctionV1::~CanFlashingFunctionV1()
{
    if (m_runActive) {
        setLastResult(tr("The flasher was removed during the run. The unit may wait in its boot "
                         "loader without a complete program."));
        endRun(QStringLiteral("removed"));
    }
}

bool CanFlashingFunctionV1::matchMessage(const CanMessage &)
{
    return false; // the tool's own frames are not decoded
}

bool CanFlashingFunctionV1::matchTargetMessage(const CanMessage &message)
{
    // While idle the answers belong to others (a memory access on the same device).
    if (flasherState() == FlasherIdle || !message.extended)
        return false;
    const quint8 pf = message.pduFormat();
    return pf == PfBootLoadData || pf == MemoryAccessFrames::PfDm15
           || pf == MemoryAccessFrames::PfDm14;
}

void CanFlashingFunctionV1::updateUserReadableAddress()
{
    setUserReadableAddress(QStringLiteral("0xd9/0xd8/0xd6"));
}

QString CanFlashingFunctionV1::textDataImpl() const
{
    const int s = flasherState();
    QString text = stateText();
    if (isTransferState(s)) {
        text = tr("%1, %2 %").arg(text).arg(intParameter(Progress)->value());
    } else if (s == FlasherFinished || s == FlasherError || text.isEmpty()) {
        // The result may carry a second line (a flash log that could not be written).
        const QString result = lastResult().replace(QLatin1Char('\n'), QLatin1Char(' '));
        if (!result.isEmpty())
            text = result;
    }
    const QString target = QStringLiteral("0x%1").arg(this->target(), 2, 16, QLatin1Char('0'));
    return text.isEmpty() ? tr("Target %1").arg(target) : tr("Target %1: %2").arg(target, text);
}

void CanFlashingFunctionV1::saveItemToXmlNodeImpl(QDomElement &element)
{
    J1939DeviceFunction::saveItemToXmlNodeImpl(element);
    QDomElement call = element.ownerDocument().createElement(QStringLiteral("initcall"));
    call.setAttribute(QStringLiteral("name"), QStringLiteral("resetRun"));
    element.appendChild(call);
}

void CanFlashingFunctionV1::resetRun(const QByteArray &)
{
    if (flasherState() != FlasherIdle)
        return; // only a fresh item is reset; a run in progress is left alone
    intParameter(State)->setValue(FlasherIdle);
    intParameter(Progress)->setValue(0);
    intParameter(TransmitIndex)->setValue(0);
    stringParameter(StateText)->setValue(QString());
    setUpdateNeeded();
}

AbstractSchemeTreeItem *CanFlashingFunctionV1::createTreeItem()
{
    return new CanFlashingFunctionV1SchemeTreeItem(this);
}

// --- Program -------------------------------------------------------------------------------

bool CanFlashingFunctionV1::readProgramFile(const QString &path, QByteArray *data, QString *error)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        *error = tr("Program file not found: %1").arg(path);
        return false;
    }
    // Devices and pipes could be read forever.
    if (!info.isFile()) {
        *error = tr("Not a regular file: %1").arg(path);
        return false;
    }
    if (info.size() == 0) {
        *error = tr("Program file is empty");
        return false;
    }
    if (info.size() > MaxFileSize) {
        *error = tr("Program file is larger than %1 bytes").arg(MaxFileSize);
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = tr("Cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    const QByteArray bytes = file.read(MaxFileSize + 1);
    if (bytes.isEmpty() || bytes.size() > MaxFileSize) {
        *error = bytes.isEmpty() ? tr("Program file is empty")
                                 : tr("Program file is larger than %1 bytes").arg(MaxFileSize);
        return false;
    }
    *data = bytes;
    return true;
}

bool CanFlashingFunctionV1::loadFile(const QString &path)
{
    QByteArray data;
    QString error;
    if (!readProgramFile(path, &data, &error)) {
        refuse(error);
        return false;
    }
    if (!setProgram(data, path))
        return false;
    stringParameter(FileName)->setValue(path);
    setUpdateNeeded();
    return true;
}

bool CanFlashingFunctionV1::setProgram(const QByteArray &data, const QString &name)
{
    if (flasherState() != FlasherIdle) {
        refuse(tr("The program cannot change during a run"));
        return false;
    }
    const QByteArray hash = QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex();
    m_program.store({data, name, hash});
    return true;
}

QByteArray CanFlashingFunctionV1::programData() const
{
    return m_program.load().data;
}

QString CanFlashingFunctionV1::programName() const
{
    return m_program.load().name;
}

bool CanFlashingFunctionV1::isFlashing() const
{
    return isTransferState(flasherState());
}

int CanFlashingFunctionV1::target() const
{
    return static_cast<TargetParameter *>(parameters().at(TargetDevice))->value();
}

void CanFlashingFunctionV1::setTarget(int address)
{
    auto *p = static_cast<TargetParameter *>(parameters().at(TargetDevice));
    p->setValue(address);
    p->setValid(true);
    setUpdateNeeded();
}

QString CanFlashingFunctionV1::stateText() const
{
    return stringParameter(StateText)->value();
}

QString CanFlashingFunctionV1::lastResult() const
{
    return m_lastResult.load();
}

void CanFlashingFunctionV1::setLastResult(const QString &text)
{
    m_lastResult.store(text);
}

void CanFlashingFunctionV1::takeIdentification(quint32 pgn, const QByteArray &data)
{
    // The software identification starts with its field count, which is no text.
    const bool isSoft = (pgn & 0xFFFF) == PgnSoft;
    if (!isSoft && (pgn & 0xFFFF) != PgnEcuid)
        return;
    QByteArray text = isSoft ? data.mid(1) : data;
    const int end = text.indexOf('\0');
    if (end >= 0)
        text.truncate(end);
    stringParameter(isSoft ? SoftId : EcuId)->setValue(QString::fromLatin1(text));
    setUpdateNeeded();
}

// --- Flash log -----------------------------------------------------------------------------

void CanFlashingFunctionV1::setLogDirectory(const QString &directory)
{
    m_logDirectory.store(directory);
}

QString CanFlashingFunctionV1::logDirectory() const
{
    return m_logDirectory.load();
}

void CanFlashingFunctionV1::beginRun()
{
    m_run = FlashLog::Record();
    m_run.start = QDateTime::currentDateTime();
    m_run.target = m_target;
    m_run.ecuid = stringParameter(EcuId)->value();
    m_run.soft = stringParameter(SoftId)->value();
    const Program program = m_program.load();
    m_run.file = program.name;
    m_run.size = program.data.size();
    m_run.sha256 = program.sha256;
    m_run.blocks = m_transfer.count();
    m_runActive = true;
}

void CanFlashingFunctionV1::endRun(const QString &outcome)
{
    if (!m_runActive)
        return;
    m_runActive = false;
    m_run.end = QDateTime::currentDateTime();
    m_run.outcome = outcome;
    m_run.result = lastResult();
    m_run.blocksAcknowledged
        = outcome == QLatin1String("finished") ? m_transfer.count() : m_transfer.index();
    m_run.retransmissions = m_transfer.retransmissions();
    const QString directory = logDirectory();
    noteRun(directory);
    if (directory.isEmpty())
        return;
    QString error;
    if (FlashLog::append(directory, m_run, &error))
        return;
    // The result stays whole; the engineer learns that its record is missing.
    qWarning("Flash log: %s", qUtf8Printable(error));
    const QString result = m_run.result;
    setLastResult((result.isEmpty() ? QString() : result + QLatin1Char('\n'))
                  + tr("The flash log was not written: %1").arg(error));
    setUpdateNeeded();
}

namespace {

// A text of the flashing in the words of the code, for the service journal.
TranslatableText words(const char *source, int n = -1)
{
    return TranslatableText::catalogue("CanFlashingFunctionV1", source, n);
}

// The run's outcome as the flash log names it ("finished", "error" ...), in words.
TranslatableText outcomeWords(const QString &outcome)
{
    const struct
    {
        const char *key;
        const char *text;
    } outcomes[] = {{"finished", QT_TRANSLATE_NOOP("CanFlashingFunctionV1", "finished")},
                    {"error", QT_TRANSLATE_NOOP("CanFlashingFunctionV1", "error")},
                    {"stopped", QT_TRANSLATE_NOOP("CanFlashingFunctionV1", "stopped")},
                    {"removed", QT_TRANSLATE_NOOP("CanFlashingFunctionV1", "flasher removed")}};
    for (const auto &o : outcomes) {
        if (outcome == QLatin1String(o.key))
            return words(o.text);
    }
    return TranslatableText::plain(outcome);
}

} // namespace

void CanFlashingFunctionV1::noteRun(const QString &logDirectory) const
{
    const QString target = JournalNotes::unitLabelAt(dispatcher(), quint8(m_run.target));
    const std::vector<TranslatableText> details{
        words(QT_TRANSLATE_N_NOOP("CanFlashingFunctionV1", "File: %1 (%n byte(s))"),
              int(m_run.size))
            .arg(m_run.file),
        TranslatableText::plain(
            QStringLiteral("SHA-256: %1").arg(QString::fromLatin1(m_run.sha256))),
        words(QT_TRANSLATE_NOOP("CanFlashingFunctionV1", "Result: %1")).arg(m_run.result),
        words(QT_TRANSLATE_NOOP("CanFlashingFunctionV1", "Flash log line: %1"))
            .arg(QString::fromUtf8(FlashLog::line(m_run)).trimmed())};
    QStringList files{m_run.file};
    if (!logDirectory.isEmpty())
        files << QDir(logDirectory).filePath(QString::fromLatin1(FlashLog::FileName));
    const bool finished = m_run.outcome == QLatin1String("finished");
    JournalNotes::note(ServiceJournal::Flashing, target,
                       words(QT_TRANSLATE_NOOP("CanFlashingFunctionV1", "Flashing %1: %2"))
                           .arg(QFileInfo(m_run.file).fileName())
                           .arg(outcomeWords(m_run.outcome)),
                       finished ? ServiceJournal::Outcome::Done
                       : m_run.outcome == QLatin1String("stopped")
                           ? ServiceJournal::Outcome::Cancelled
                           : ServiceJournal::Outcome::Failed,
                       details, files);
}
