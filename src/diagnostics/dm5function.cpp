#include "diagnostics/dm5function.h"

#include "diagnostics/editors/dm5schemetreeitem.h"
#include "model/zxintparameter.h"
#include "model/zxlistparameter.h"

#include <QCoreApplication>
#include <QDateTime>

#include <algorithm>

namespace {

// A count of 0 to 250; above that the J1939 indicators: 0xFE error, the rest not available.
constexpr int MaxCount = 250;
constexpr int CountError = 0xFE;
constexpr int NotAvailable = 0xFF;
constexpr int FirstObdNotAvailable = 251;

constexpr int ContinuousByte = 3;
constexpr int ContinuousStatusShift = 4;
constexpr int SupportByte = 4;
constexpr int StatusByte = 6;

struct Monitor
{
    const char *key;
    const char *text;
};

// In the order of their bits: the continuous monitors in byte 3 (support bits 0 to 2, status
// bits 4 to 6), then the others in bytes 4-5 (support) and 6-7 (status), bit 0 of byte 4 first.
const Monitor Monitors[] = {
    {"MISFIRE", QT_TRANSLATE_NOOP("DM5Function", "Misfire")},
    {"FUEL", QT_TRANSLATE_NOOP("DM5Function", "Fuel system")},
    {"CCM", QT_TRANSLATE_NOOP("DM5Function", "Comprehensive component")},
    {"CAT", QT_TRANSLATE_NOOP("DM5Function", "Catalyst")},
    {"HCAT", QT_TRANSLATE_NOOP("DM5Function", "Heated catalyst")},
    {"EVAP", QT_TRANSLATE_NOOP("DM5Function", "Evaporative system")},
    {"SAIR", QT_TRANSLATE_NOOP("DM5Function", "Secondary air system")},
    {"AC", QT_TRANSLATE_NOOP("DM5Function", "A/C system refrigerant")},
    {"EGS", QT_TRANSLATE_NOOP("DM5Function", "Exhaust gas sensor")},
    {"EGSH", QT_TRANSLATE_NOOP("DM5Function", "Exhaust gas sensor heater")},
    {"EGR", QT_TRANSLATE_NOOP("DM5Function", "EGR/VVT system")},
    {"CSA", QT_TRANSLATE_NOOP("DM5Function", "Cold start aid system")},
    {"BOOST", QT_TRANSLATE_NOOP("DM5Function", "Boost pressure control system")},
    {"DPF", QT_TRANSLATE_NOOP("DM5Function", "Diesel particulate filter")},
    {"NOX", QT_TRANSLATE_NOOP("DM5Function", "NOx converting catalyst/adsorber")},
    {"NMHC", QT_TRANSLATE_NOOP("DM5Function", "NMHC converting catalyst")},
};
static_assert(sizeof(Monitors) / sizeof(Monitors[0]) == DM5Function::MonitorCount,
              "one entry per monitor parameter");

const char *const MonitorStates[] = {
    QT_TRANSLATE_NOOP("DM5Function", "Not supported"),
    QT_TRANSLATE_NOOP("DM5Function", "Complete"),
    QT_TRANSLATE_NOOP("DM5Function", "Not complete"),
    QT_TRANSLATE_NOOP("DM5Function", "Not supported, reported not complete"),
};

// OBD compliance (SPN 1220) by value; null for the values not assigned.
const char *const ObdTexts[] = {
    nullptr,
    QT_TRANSLATE_NOOP("DM5Function", "OBD II (California ARB)"),
    QT_TRANSLATE_NOOP("DM5Function", "OBD (US EPA)"),
    QT_TRANSLATE_NOOP("DM5Function", "OBD and OBD II"),
    QT_TRANSLATE_NOOP("DM5Function", "OBD I"),
    QT_TRANSLATE_NOOP("DM5Function", "Not OBD compliant"),
    QT_TRANSLATE_NOOP("DM5Function", "EOBD"),
    QT_TRANSLATE_NOOP("DM5Function", "EOBD and OBD II"),
    QT_TRANSLATE_NOOP("DM5Function", "EOBD and OBD"),
    QT_TRANSLATE_NOOP("DM5Function", "EOBD, OBD and OBD II"),
    QT_TRANSLATE_NOOP("DM5Function", "JOBD"),
    QT_TRANSLATE_NOOP("DM5Function", "JOBD and OBD II"),
    QT_TRANSLATE_NOOP("DM5Function", "JOBD and EOBD"),
    QT_TRANSLATE_NOOP("DM5Function", "JOBD, EOBD and OBD II"),
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    QT_TRANSLATE_NOOP("DM5Function", "Engine manufacturer diagnostics (EMD)"),
    QT_TRANSLATE_NOOP("DM5Function", "EMD+"),
    QT_TRANSLATE_NOOP("DM5Function", "Heavy-duty OBD, partial (HD OBD P)"),
    QT_TRANSLATE_NOOP("DM5Function", "Heavy-duty OBD (HD OBD)"),
    QT_TRANSLATE_NOOP("DM5Function", "World-wide harmonized OBD (WWH OBD)"),
};
constexpr int ObdTextCount = int(sizeof(ObdTexts) / sizeof(ObdTexts[0]));

QString text(const char *source)
{
    return QCoreApplication::translate("DM5Function", source);
}

// Where a monitor's support and status bits are: continuous ones share byte 3, the others have
// a 16-bit field each for support and status.
void monitorBits(int monitor, int *supportByte, int *supportBit, int *statusByte, int *statusBit)
{
    if (monitor < DM5Function::FirstNonContinuous - DM5Function::FirstMonitor) {
        *supportByte = *statusByte = ContinuousByte;
        *supportBit = monitor;
        *statusBit = monitor + ContinuousStatusShift;
        return;
    }
    const int bit = monitor - (DM5Function::FirstNonContinuous - DM5Function::FirstMonitor);
    *supportByte = SupportByte + bit / 8;
    *statusByte = StatusByte + bit / 8;
    *supportBit = *statusBit = bit % 8;
}

void setCount(ZxIntParameter *p, int raw)
{
    p->setValue(raw);
    if (raw <= MaxCount)
        p->setValid(true);
    else if (raw == CountError)
        p->setError();
    else
        p->setValid(false);
}

quint8 countByte(const ZxIntParameter *p)
{
    if (!p->isValid())
        return quint8(p->isError() ? CountError : NotAvailable);
    return quint8(std::clamp(p->value(), 0, MaxCount));
}

} // namespace

DM5Function::DM5Function(QObject *parent)
    : StaticPgnJ1939DeviceFunction(0xFE, 0xCE, parent)
{
    setObjectName(QStringLiteral("DM5Function"));
    setName(tr("DM5 - Diagnostic Readiness 1"));
    addIntParameter(QStringLiteral("ACTIVE"))->setWords(tr("Active trouble codes"));
    addIntParameter(QStringLiteral("PREVIOUS"))
        ->setWords(tr("Previously active trouble codes"));
    QStringList obd;
    for (int value = 0; value < ObdTextCount; ++value)
        obd << obdText(value);
    addListParameter(QStringLiteral("OBD"), obd)->setWords(tr("OBD compliance"));
    QStringList states;
    for (const char *state : MonitorStates)
        states << text(state);
    for (const Monitor &monitor : Monitors)
        addListParameter(QString::fromLatin1(monitor.key), states)
            ->setWords(text(monitor.text));
    // Sent on request: watched for activity, never sent on a period of its own.
    setDeviceType(Spontaneous, 5000);
}

QString DM5Function::obdText(int value)
{
    if (value >= FirstObdNotAvailable)
        return QString();
    const char *source = value >= 0 && value < ObdTextCount ? ObdTexts[value] : nullptr;
    return source ? text(source) : tr("Reserved");
}

bool DM5Function::dispatchMessageImpl(const CanMessage &message, DispatchResult *result)
{
    result->item = this;
    decode(QByteArray(reinterpret_cast<const char *>(message.data), message.length));
    return true;
}

bool DM5Function::dispatchBroadcastDataImpl(const QByteArray &data)
{
    return decode(data);
}

bool DM5Function::decode(const QByteArray &data)
{
    if (data.size() < Length)
        return false;
    const auto *b = reinterpret_cast<const quint8 *>(data.constData());
    setCount(intParameter(Active), b[0]);
    setCount(intParameter(Previous), b[1]);
    listParameter(Obd)->setValue(b[2]);
    listParameter(Obd)->setValid(b[2] < FirstObdNotAvailable);
    for (int m = 0; m < MonitorCount; ++m) {
        int supportByte, supportBit, statusByte, statusBit;
        monitorBits(m, &supportByte, &supportBit, &statusByte, &statusBit);
        const bool supported = (b[supportByte] >> supportBit) & 1;
        const bool notComplete = (b[statusByte] >> statusBit) & 1;
        ZxListParameter *p = listParameter(FirstMonitor + m);
        p->setValue(supported ? (notComplete ? NotComplete : Complete)
                              : (notComplete ? NotSupportedNotComplete : NotSupported));
        p->setValid(true);
    }
    m_lastDecodedMs.store(QDateTime::currentMSecsSinceEpoch());
    setUpdateNeeded();
    return true;
}

QByteArray DM5Function::encode() const
{
    // The reserved bits of the monitor fields go out as 0: not supported, complete.
    QByteArray out(Length, char(0));
    out[0] = char(countByte(intParameter(Active)));
    out[1] = char(countByte(intParameter(Previous)));
    const ZxListParameter *obd = listParameter(Obd);
    out[2] = char(obd->isValid() ? quint8(std::clamp(obd->value(), 0, NotAvailable))
                                 : quint8(NotAvailable));
    for (int m = 0; m < MonitorCount; ++m) {
        int supportByte, supportBit, statusByte, statusBit;
        monitorBits(m, &supportByte, &supportBit, &statusByte, &statusBit);
        const int state = listParameter(FirstMonitor + m)->value();
        if (state == Complete || state == NotComplete)
            out[supportByte] = char(out[supportByte] | (1 << supportBit));
        if (state == NotComplete || state == NotSupportedNotComplete)
            out[statusByte] = char(out[statusByte] | (1 << statusBit));
    }
    return out;
}

void DM5Function::transmitState()
{
    const QByteArray data = encode();
    transmitData(reinterpret_cast<const unsigned char *>(data.constData()), unsigned(data.size()));
}

QString DM5Function::textDataImpl() const
{
    if (lastDecodedMs() == 0 && state() != Send)
        return tr("no answer yet");
    const auto count = [this](int index) {
        const ZxIntParameter *p = intParameter(index);
        return p->isValid() ? QString::number(p->value()) : p->invalidText();
    };
    QStringList parts;
    parts << tr("%1 active, %2 previously active").arg(count(Active), count(Previous));
    const ZxListParameter *obd = listParameter(Obd);
    parts << (obd->isValid() ? obdText(obd->value()) : tr("OBD compliance n/a"));
    QStringList notComplete;
    for (int m = 0; m < MonitorCount; ++m) {
        if (listParameter(FirstMonitor + m)->value() == NotComplete)
            notComplete << text(Monitors[m].text);
    }
    parts << (notComplete.isEmpty()
                  ? tr("supported monitors complete")
                  : tr("not complete: %1").arg(notComplete.join(QStringLiteral(", "))));
    return parts.join(QStringLiteral(" \u00B7 "));
}

AbstractSchemeTreeItem *DM5Function::createTreeItem()
{
    return new DM5SchemeTreeItem(this);
}
