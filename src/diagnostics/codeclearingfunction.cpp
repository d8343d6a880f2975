#include "diagnostics/codeclearingfunction.h"

#include "can/abstractcanhandler.h"
#include "can/tooladdress.h"
#include "descriptions/unitnames.h"
#include "diagnostics/acknowledgementfunction.h"
#include "diagnostics/editors/codeclearingschemetreeitem.h"
#include "diagnostics/journalnotes.h"
#include "diagnostics/toolrequest.h"
#include "model/devicedispatcher.h"
#include "model/j1939device.h"
#include "model/zxstringparameter.h"

#include <QTimer>

#include <algorithm>

int CodeClearingFunction::s_answerTimeMs = 1250;
int CodeClearingFunction::s_settleMs = 2000;

namespace {

constexpr quint32 LastUnitAddress = 0xFD; // 0xFE is the null address, 0xFF global
constexpr int PollMs = 50;

using Codes = QVector<DtcArrayParameter::DtcItem>;

bool sameCode(const DtcArrayParameter::DtcItem &a, const DtcArrayParameter::DtcItem &b)
{
    return a.spn == b.spn && a.fmi == b.fmi; // the occurrence count may change on its own
}

bool contains(const Codes &codes, const DtcArrayParameter::DtcItem &code)
{
    return std::any_of(codes.begin(), codes.end(),
                       [&code](const DtcArrayParameter::DtcItem &c) { return sameCode(c, code); });
}

// The codes of `from` that are (or are not, when `wanted` is false) in `other`.
Codes select(const Codes &from, const Codes &other, bool wanted)
{
    Codes out;
    for (const DtcArrayParameter::DtcItem &c : from) {
        if (contains(other, c) == wanted)
            out.append(c);
    }
    return out;
}

DtcArrayParameter *dtcParameterOf(const AbstractDisplayableItem *function)
{
    for (ZxParameter *p : function->parameters()) {
        if (auto *codes = dynamic_cast<DtcArrayParameter *>(p))
            return codes;
    }
    return nullptr;
}

// A text of this function in the words of the code, for the service journal.
TranslatableText words(const char *source, int n = -1)
{
    return TranslatableText::catalogue("CodeClearingFunction", source, n);
}

TranslatableText codesWords(const Codes &codes)
{
    if (codes.isEmpty())
        return words(QT_TRANSLATE_NOOP("CodeClearingFunction", "none"));
    std::vector<TranslatableText> parts;
    for (const DtcArrayParameter::DtcItem &c : codes)
        parts.push_back(words(QT_TRANSLATE_NOOP("CodeClearingFunction", "SPN %1 FMI %2"))
                            .arg(c.spn)
                            .arg(c.fmi));
    return TranslatableText::joined(parts, QStringLiteral(", "));
}

// The answer a clearing of codes is checked with: DM1 after DM11, DM2 after DM3.
quint32 listOf(quint32 clearPgn)
{
    return clearPgn == CodeClearingFunction::Dm11Pgn ? CodeClearingFunction::Dm1Pgn
                                                     : CodeClearingFunction::Dm2Pgn;
}

J1939Device *deviceAt(const DeviceDispatcher *dispatcher, quint8 address)
{
    for (J1939Device *d : CodeClearingFunction::schemeUnits(dispatcher)) {
        if (d->address().value == address)
            return d;
    }
    return nullptr;
}

} // namespace

CodeClearingFunction::CodeClearingFunction(QObject *parent)
    : StaticPgnJ1939DeviceFunction(0xFE, 0xD3, parent)
    , m_deadline(new QTimer(this))
    , m_poll(new QTimer(this))
{
    setObjectName(QStringLiteral("CodeClearingFunction"));
    setName(tr("DM11/DM3 - Clear Diagnostic Trouble Codes"));
    addStringParameter(QStringLiteral("RESULT"))->setWords(tr("Last result"));
    addStringParameter(QStringLiteral("SUMMARY"))->setWords(tr("Summary"));
    setDeviceType(Spontaneous, 5000);
    m_deadline->setSingleShot(true);
    m_poll->setInterval(PollMs);
    connect(m_deadline, &QTimer::timeout, this, &CodeClearingFunction::stepTimedOut);
    connect(m_poll, &QTimer::timeout, this, &CodeClearingFunction::checkVerification);
}

bool CodeClearingFunction::knownCodes(const AbstractDisplayableItem *unit, quint32 pgn,
                                      Codes *codes)
{
    const auto *device = qobject_cast<const J1939Device *>(unit);
    StaticPgnJ1939DeviceFunction *function = device ? device->functionForPgn(pgn) : nullptr;
    DtcArrayParameter *parameter = function ? dtcParameterOf(function) : nullptr;
    if (!parameter)
        return false;
    *codes = parameter->codes();
    return true;
}

QString CodeClearingFunction::unitText(quint8 address, const QString &name)
{
    return UnitNames::translated(JournalNotes::unitLabel(address, name));
}

QString CodeClearingFunction::codesText(const Codes &codes)
{
    return codesWords(codes).toString();
}

QList<J1939Device *> CodeClearingFunction::schemeUnits(const DeviceDispatcher *dispatcher)
{
    QList<J1939Device *> units;
    if (!dispatcher)
        return units;
    for (CanDevice *device : dispatcher->devices()) {
        auto *unit = qobject_cast<J1939Device *>(device);
        const quint32 address = unit ? unit->address().value : 0xFF;
        if (unit && address <= LastUnitAddress && address != dispatcher->toolAddress().current())
            units.append(unit);
    }
    return units;
}

QString CodeClearingFunction::result() const
{
    return stringParameter(Result)->value();
}

QString CodeClearingFunction::summary() const
{
    return stringParameter(Summary)->value();
}

AbstractSchemeTreeItem *CodeClearingFunction::createTreeItem()
{
    return new CodeClearingSchemeTreeItem(this);
}

QString CodeClearingFunction::textDataImpl() const
{
    const QString text = summary();
    return text.isEmpty() ? StaticPgnJ1939DeviceFunction::textDataImpl() : text;
}

void CodeClearingFunction::setOutcome(const QString &result, const QString &summary)
{
    stringParameter(Result)->setValue(result);
    stringParameter(Result)->setValid(true);
    stringParameter(Summary)->setValue(summary);
    stringParameter(Summary)->setValid(true);
    setUpdateNeeded();
}

bool CodeClearingFunction::slotStart(int kinds, bool global)
{
    if (m_running.load())
        return false;
    auto *unit = qobject_cast<J1939Device *>(parentItem());
    AbstractCanHandler *bus = handler();
    QString refusal;
    if (!(kinds & (ClearActive | ClearPrevious)))
        refusal = tr("Nothing chosen to clear");
    else if (!unit)
        refusal = tr("No unit to clear");
    else if (!bus || !bus->isOpen())
        refusal = tr("No bus connection: nothing was sent");
    if (!refusal.isEmpty()) {
        setOutcome(refusal, refusal);
        emit finished(refusal);
        return false;
    }
    m_global = global;
    m_units.clear();
    const QList<J1939Device *> expected
        = global ? schemeUnits(dispatcher()) : QList<J1939Device *>{unit};
    for (J1939Device *device : expected)
        unitAt(quint8(device->address().value));
    m_steps.clear();
    if (kinds & ClearActive)
        m_steps << Dm11Pgn;
    if (kinds & ClearPrevious)
        m_steps << Dm3Pgn;
    m_requested = m_steps;
    m_verifying = false;
    m_tap = connect(bus, &AbstractCanHandler::framesReceived, this,
                    &CodeClearingFunction::takeFrames, Qt::DirectConnection);
    m_running.store(true);
    setOutcome(tr("Clearing…"), tr("Clearing…"));
    sendStep();
    return true;
}

CodeClearingFunction::UnitState *CodeClearingFunction::unitAt(quint8 address)
{
    for (UnitState &u : m_units) {
        if (u.address == address)
            return &u;
    }
    UnitState u;
    u.address = address;
    const J1939Device *device = deviceAt(dispatcher(), address);
    u.name = device ? device->name() : QString();
    for (quint32 pgn : {Dm1Pgn, Dm2Pgn}) {
        Codes codes;
        u.known[pgn] = knownCodes(device, pgn, &codes);
        u.before[pgn] = codes;
    }
    m_units.append(u);
    return &m_units.last();
}

void CodeClearingFunction::sendStep()
{
    const quint32 pgn = m_steps.constFirst();
    auto *unit = qobject_cast<J1939Device *>(parentItem());
    const quint8 destination
        = m_global || !unit ? quint8(CanMessage::GlobalAddress) : quint8(unit->address().value);
    if (m_verifying) {
        for (UnitState &u : m_units) {
            const J1939Device *device = deviceAt(dispatcher(), u.address);
            StaticPgnJ1939DeviceFunction *f = device ? device->functionForPgn(pgn) : nullptr;
            u.events[pgn] = f ? f->totalEvents() : -1;
        }
        m_poll->start();
    }
    CanMessage request
        = ToolRequest::frame(pgn, destination, ToolAddress::of(dispatcher()).current());
    sendMessage(request);
    m_deadline->start(s_answerTimeMs);
}

void CodeClearingFunction::takeFrames(const QVector<CanMessage> &frames)
{
    if (m_verifying || m_steps.isEmpty())
        return;
    const quint32 pgn = m_steps.constFirst();
    const auto *unit = qobject_cast<J1939Device *>(parentItem());
    for (const CanMessage &frame : frames) {
        AcknowledgementFunction::Answer a;
        if (!AcknowledgementFunction::decodeFrame(frame, &a) || a.pgn != pgn)
            continue;
        // To the tool, or to everyone naming the tool as the requester.
        const quint8 tool = ToolAddress::of(dispatcher()).current();
        const bool toTool
            = frame.pduSpecific() == tool
              || (frame.pduSpecific() == CanMessage::GlobalAddress && a.requester == tool);
        if (!toTool || (!m_global && unit && a.source != unit->address().value))
            continue;
        UnitState *u = unitAt(a.source);
        if (!u->answers.contains(pgn))
            u->answers.insert(pgn, a.control);
        // The one unit asked has answered: no need to wait out the answer time.
        if (!m_global) {
            stepTimedOut();
            return;
        }
    }
}

bool CodeClearingFunction::acknowledged(const UnitState &unit) const
{
    for (int control : unit.answers) {
        if (control == AcknowledgementFunction::Ack)
            return true;
    }
    return false;
}

void CodeClearingFunction::stepTimedOut()
{
    m_deadline->stop();
    m_poll->stop();
    if (!m_steps.isEmpty())
        m_steps.removeFirst();
    if (!m_verifying && m_steps.isEmpty()) {
        const bool anyAck = std::any_of(m_units.begin(), m_units.end(),
                                        [this](const UnitState &u) { return acknowledged(u); });
        if (anyAck) {
            m_verifying = true;
            m_steps << Dm1Pgn << Dm2Pgn;
            setOutcome(tr("Cleared; the units check their faults again…"),
                       tr("Cleared; the units check their faults again…"));
            QTimer::singleShot(s_settleMs, this, [this] {
                if (m_running.load() && !m_steps.isEmpty())
                    sendStep();
            });
            return;
        }
    }
    if (m_steps.isEmpty())
        finish();
    else
        sendStep();
}

void CodeClearingFunction::checkVerification()
{
    if (!m_verifying || m_steps.isEmpty())
        return;
    const quint32 pgn = m_steps.constFirst();
    // Every acknowledging unit with a function for the list has had a new answer.
    for (const UnitState &u : qAsConst(m_units)) {
        if (!acknowledged(u) || u.events.value(pgn, -1) < 0)
            continue;
        const J1939Device *device = deviceAt(dispatcher(), u.address);
        StaticPgnJ1939DeviceFunction *f = device ? device->functionForPgn(pgn) : nullptr;
        if (f && f->totalEvents() == u.events.value(pgn))
            return;
    }
    stepTimedOut();
}

std::vector<TranslatableText> CodeClearingFunction::unitReport(const UnitState &unit) const
{
    const TranslatableText noAnswer = words(QT_TRANSLATE_NOOP("CodeClearingFunction", "no answer"));
    std::vector<TranslatableText> answers;
    for (quint32 step : {Dm11Pgn, Dm3Pgn}) {
        if (!m_requested.contains(step))
            continue;
        const QString request = step == Dm11Pgn ? QStringLiteral("DM11") : QStringLiteral("DM3");
        answers.push_back(TranslatableText::joined(
            {TranslatableText::plain(request),
             unit.answers.contains(step)
                 ? AcknowledgementFunction::controlWords(unit.answers.value(step))
                 : noAnswer},
            QStringLiteral(" ")));
    }
    std::vector<TranslatableText> lines{TranslatableText::joined(
        {TranslatableText::name(JournalNotes::unitLabel(unit.address, unit.name)),
         TranslatableText::joined(answers, QStringLiteral(", "))},
        QStringLiteral(": "))};
    for (quint32 step : {Dm11Pgn, Dm3Pgn}) {
        if (!m_requested.contains(step))
            continue;
        const TranslatableText list
            = step == Dm11Pgn
                  ? words(QT_TRANSLATE_NOOP("CodeClearingFunction", "Active codes"))
                  : words(QT_TRANSLATE_NOOP("CodeClearingFunction", "Previously active codes"));
        const int control = unit.answers.value(step, -1);
        if (control != AcknowledgementFunction::Ack) {
            lines.push_back(
                words(QT_TRANSLATE_NOOP("CodeClearingFunction", "%1 not cleared (%2)"))
                    .arg(list)
                    .arg(control < 0 ? noAnswer : AcknowledgementFunction::controlWords(control)));
            continue;
        }
        const quint32 pgn = listOf(step);
        Codes after;
        if (!unit.known.value(pgn)
            || !knownCodes(deviceAt(dispatcher(), unit.address), pgn, &after)) {
            lines.push_back(
                words(QT_TRANSLATE_NOOP("CodeClearingFunction",
                                        "%1 cleared; the codes before are not known (not read)"))
                    .arg(list));
            continue;
        }
        const Codes before = unit.before.value(pgn);
        lines.push_back(
            words(QT_TRANSLATE_NOOP("CodeClearingFunction", "%1 cleared; gone: %2; came back: %3"))
                .arg(list)
                .arg(codesWords(select(before, after, false)))
                .arg(codesWords(select(after, before, true))));
        const Codes fresh = select(after, before, false);
        if (!fresh.isEmpty())
            lines.push_back(
                words(QT_TRANSLATE_NOOP("CodeClearingFunction", "%1 new after the clearing: %2"))
                    .arg(list)
                    .arg(codesWords(fresh)));
    }
    return lines;
}

void CodeClearingFunction::finish()
{
    disconnect(m_tap);
    m_deadline->stop();
    m_poll->stop();
    std::vector<TranslatableText> details;
    QStringList report;
    int cleared = 0;
    int refused = 0;
    int silent = 0;
    int back = 0;
    TranslatableText verdict;
    for (const UnitState &u : qAsConst(m_units)) {
        const std::vector<TranslatableText> lines = unitReport(u);
        for (size_t i = 0; i < lines.size(); ++i)
            report << (i == 0 ? QString() : QStringLiteral("  ")) + JournalNotes::said(lines[i]);
        details.insert(details.end(), lines.begin(), lines.end());
        bool allAck = true;
        for (quint32 step : qAsConst(m_requested))
            allAck = allAck && u.answers.value(step, -1) == AcknowledgementFunction::Ack;
        if (u.answers.isEmpty()) {
            ++silent;
            verdict
                = words(QT_TRANSLATE_NOOP("CodeClearingFunction", "no answer, codes not cleared"));
        } else if (allAck) {
            ++cleared;
            verdict = words(QT_TRANSLATE_NOOP("CodeClearingFunction", "cleared"));
        } else {
            ++refused;
            int control = AcknowledgementFunction::Ack;
            for (int c : u.answers) {
                if (c != AcknowledgementFunction::Ack)
                    control = c;
            }
            verdict = (acknowledged(u)
                           ? words(QT_TRANSLATE_NOOP("CodeClearingFunction", "partly cleared (%1)"))
                           : words(QT_TRANSLATE_NOOP("CodeClearingFunction", "refused (%1)")))
                          .arg(AcknowledgementFunction::controlWords(control));
        }
        for (quint32 step : qAsConst(m_requested)) {
            Codes after;
            const quint32 pgn = listOf(step);
            if (u.answers.value(step, -1) == AcknowledgementFunction::Ack && u.known.value(pgn)
                && knownCodes(deviceAt(dispatcher(), u.address), pgn, &after))
                back += int(select(after, u.before.value(pgn), true).size());
        }
    }
    TranslatableText summary;
    if (m_units.isEmpty()) {
        summary = words(QT_TRANSLATE_NOOP("CodeClearingFunction", "Clear codes: no unit answered"));
    } else if (m_units.size() == 1 && !m_global) {
        const UnitState &u = m_units.constFirst();
        summary = words(QT_TRANSLATE_NOOP("CodeClearingFunction", "Clear codes of %1: %2"))
                      .arg(TranslatableText::name(JournalNotes::unitLabel(u.address, u.name)))
                      .arg(verdict);
    } else {
        summary = words(QT_TRANSLATE_NOOP(
                            "CodeClearingFunction",
                            "Clear codes of all units: %1 cleared, %2 refused, %3 without answer"))
                      .arg(cleared)
                      .arg(refused)
                      .arg(silent);
    }
    if (back > 0)
        summary = TranslatableText::joined(
            {summary,
             words(QT_TRANSLATE_N_NOOP("CodeClearingFunction", "; %n code(s) came back"), back)});
    const QString summaryText = JournalNotes::said(summary);
    setOutcome(report.join(QLatin1Char('\n')), summaryText);
    m_running.store(false);
    const auto *owner = qobject_cast<J1939Device *>(parentItem());
    JournalNotes::note(ServiceJournal::CodeClearing,
                       m_global ? QString() : JournalNotes::unitLabel(owner), summary,
                       cleared > 0 && refused == 0 && silent == 0 ? ServiceJournal::Outcome::Done
                                                                  : ServiceJournal::Outcome::Failed,
                       details);
    emit finished(summaryText);
}
