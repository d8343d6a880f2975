#include "diagnostics/troublecodesfunction.h"

#include "diagnostics/dtcarrayparameter.h"
#include "diagnostics/editors/dm1schemetreeitem.h"
#include "diagnostics/saeswitchstatusparameter.h"
#include "model/tpconnection.h"
#include "model/zxintparameter.h"

#include <QCoreApplication>
#include <QDateTime>

#include <algorithm>

namespace {

// The texts were DM1's before DM2 shared them: they keep DM1's translation context.
constexpr const char *TextContext = "DM1Function";

const char *const LampKeys[] = {"MIL", "RSL", "AWL", "PL", "FMIL", "FRSL", "FAWL", "FPL"};
const char *const LampTexts[] = {
    QT_TRANSLATE_NOOP("DM1Function", "Malfunction Indicator Lamp"),
    QT_TRANSLATE_NOOP("DM1Function", "Red Stop Lamp"),
    QT_TRANSLATE_NOOP("DM1Function", "Amber Warning Lamp"),
    QT_TRANSLATE_NOOP("DM1Function", "Protect Lamp"),
    QT_TRANSLATE_NOOP("DM1Function", "Flash MIL"),
    QT_TRANSLATE_NOOP("DM1Function", "Flash Red Stop Lamp"),
    QT_TRANSLATE_NOOP("DM1Function", "Flash AWL"),
    QT_TRANSLATE_NOOP("DM1Function", "Flash Protect Lamp"),
};
const char *const SlotKeys[] = {"SPN%1", "FMI%1", "OC%1"};

constexpr int LampCount = 4;
constexpr int LampBytes = 2;
constexpr int MinimumLength = 6;
// A message that fits one frame is sent as a whole frame of 8 bytes, unused bytes 0xFF.
constexpr int SingleFrameLength = 8;
// The two-bit lamp status "01 - Activate".
constexpr int LampActive = 1;

QString text(const char *source)
{
    return QCoreApplication::translate(TextContext, source);
}

} // namespace

TroubleCodesFunction::TroubleCodesFunction(quint8 ps, QObject *parent)
    : StaticPgnJ1939DeviceFunction(0xFE, ps, parent)
{
    for (int i = 0; i < 2 * LampCount; ++i) {
        auto *lamp = new SaeSwitchStatusParameter;
        addParameter(lamp, QString::fromLatin1(LampKeys[i]));
        lamp->setWords(text(LampTexts[i]));
    }
    for (int i = 0; i < SlotCount; ++i) {
        for (const char *key : SlotKeys) {
            const QString name = QString::fromLatin1(key).arg(i);
            addIntParameter(name)->setWords(text(key).arg(i));
        }
    }
    addIntParameter(QStringLiteral("COUNT"))
        ->setWords(text(QT_TRANSLATE_NOOP("DM1Function", "DTC Count")));
    auto *dtc = new DtcArrayParameter;
    addParameter(dtc, QStringLiteral("DTC"));
    dtc->setWords(text(QT_TRANSLATE_NOOP("DM1Function", "DTC")));
}

DtcArrayParameter *TroubleCodesFunction::dtcParameter() const
{
    return static_cast<DtcArrayParameter *>(parameters().at(Dtc));
}

bool TroubleCodesFunction::dispatchMessageImpl(const CanMessage &message, DispatchResult *result)
{
    result->item = this;
    decode(QByteArray(reinterpret_cast<const char *>(message.data), message.length));
    return true;
}

bool TroubleCodesFunction::dispatchBroadcastDataImpl(const QByteArray &data)
{
    return decode(data);
}

void TroubleCodesFunction::dispatchTargetLongMessage(TPConnection *connection)
{
    // A long message sent to one address by RTS/CTS: the unit's answer to whoever asked. The
    // codes of a unit the tool stands in for are the engineer's, not those of a message to it.
    if (state() != Send && decode(connection->data()))
        counterInc();
}

bool TroubleCodesFunction::decode(const QByteArray &data)
{
    if (data.size() < MinimumLength)
        return false;
    const auto *b = reinterpret_cast<const quint8 *>(data.constData());
    for (int i = 0; i < LampCount; ++i) {
        listParameter(Mil + i)->setValue((b[0] >> (6 - 2 * i)) & 0x03);
        listParameter(Mil + i)->setValid(true);
        listParameter(Fmil + i)->setValue((b[1] >> (6 - 2 * i)) & 0x03);
        listParameter(Fmil + i)->setValid(true);
    }
    QVector<DtcArrayParameter::DtcItem> codes;
    // The unit's list as sent, less "no code" and padding: a code it lists twice shows twice.
    for (const TroubleCode &code : TroubleCode::decodeAll(data)) {
        if (code.isFault())
            codes.append(DtcArrayParameter::DtcItem::from(code));
    }
    const int count = int(codes.size());
    intParameter(Count)->setValue(count);
    intParameter(Count)->setValid(true);
    for (int i = 0; i < SlotCount; ++i) {
        const bool used = i < count;
        intParameter(FirstSlot + 3 * i)->setValue(used ? int(codes.at(i).spn) : -1);
        intParameter(FirstSlot + 3 * i + 1)->setValue(used ? int(codes.at(i).fmi) : -1);
        intParameter(FirstSlot + 3 * i + 2)->setValue(used ? int(codes.at(i).oc) : -1);
        for (int k = 0; k < 3; ++k)
            parameters().at(FirstSlot + 3 * i + k)->setValid(true);
    }
    dtcParameter()->setCodes(codes);
    m_lastDecodedMs.store(QDateTime::currentMSecsSinceEpoch());
    setUpdateNeeded();
    return true;
}

QByteArray TroubleCodesFunction::encode() const
{
    const int n = std::clamp(intParameter(Count)->value(), 0, SlotCount);
    // No code goes out as the code SPN 0, FMI 0, OC 0 in a frame of its own.
    QByteArray out(std::max(SingleFrameLength, LampBytes + TroubleCode::Bytes * n), char(0xFF));
    if (n == 0)
        std::fill(out.begin() + LampBytes, out.begin() + LampBytes + TroubleCode::Bytes, char(0));
    quint8 lamps = 0;
    quint8 flashes = 0;
    for (int i = 0; i < LampCount; ++i) {
        lamps |= quint8((listParameter(Mil + i)->value() & 0x03) << (6 - 2 * i));
        flashes |= quint8((listParameter(Fmil + i)->value() & 0x03) << (6 - 2 * i));
    }
    out[0] = char(lamps);
    out[1] = char(flashes);
    for (int i = 0; i < n; ++i) {
        DtcArrayParameter::DtcItem item;
        item.spn = quint32(intParameter(FirstSlot + 3 * i)->value()) & TroubleCode::MaxSpn;
        item.fmi = quint32(intParameter(FirstSlot + 3 * i + 1)->value());
        item.oc = quint32(intParameter(FirstSlot + 3 * i + 2)->value()) & 0xFF;
        QByteArray code;
        item.code().append(&code);
        out.replace(LampBytes + TroubleCode::Bytes * i, TroubleCode::Bytes, code);
    }
    return out;
}

QStringList TroubleCodesFunction::lampsOn() const
{
    QStringList on;
    for (int i = 0; i < LampCount; ++i) {
        const ZxParameter *lamp = parameters().at(Mil + i);
        if (lamp->isValid() && listParameter(Mil + i)->value() == LampActive)
            on << lamp->key();
    }
    return on;
}

void TroubleCodesFunction::transmitState()
{
    const QByteArray data = encode();
    transmitData(reinterpret_cast<const unsigned char *>(data.constData()), unsigned(data.size()));
}

AbstractSchemeTreeItem *TroubleCodesFunction::createTreeItem()
{
    return new DM1SchemeTreeItem(this);
}
