#include "diagnostics/acknowledgementfunction.h"

#include "model/zxintparameter.h"
#include "model/zxlistparameter.h"

namespace {

const char *const ControlTexts[] = {
    QT_TRANSLATE_NOOP("AcknowledgementFunction", "ACK"),
    QT_TRANSLATE_NOOP("AcknowledgementFunction", "NACK"),
    QT_TRANSLATE_NOOP("AcknowledgementFunction", "Access Denied"),
    QT_TRANSLATE_NOOP("AcknowledgementFunction", "Cannot Respond"),
};
constexpr int ControlCount = 4;

// b0 control, b1 group function, b2-b3 reserved, b4 the requester, b5-b7 the PGN.
constexpr int RequesterByte = 4;
constexpr int PgnByte = 5;

} // namespace

AcknowledgementFunction::AcknowledgementFunction(QObject *parent)
    : StaticPgnJ1939DeviceFunction(Pf, 0x00, parent)
{
    setObjectName(QStringLiteral("AcknowledgementFunction"));
    setName(tr("Acknowledgement"));
    QStringList controls;
    for (const char *text : ControlTexts)
        controls << tr(text);
    addListParameter(QStringLiteral("CONTROL"), controls)->setWords(tr("Control"));
    addIntParameter(QStringLiteral("GROUP"))->setWords(tr("Group Function"));
    addIntParameter(QStringLiteral("ADDRESS"))->setWords(tr("Address Acknowledged"));
    addIntParameter(QStringLiteral("PGN"))->setWords(tr("PGN Acknowledged"));
    setDeviceType(Spontaneous, 5000);
}

bool AcknowledgementFunction::decodeData(const QByteArray &data, Answer *out)
{
    if (data.size() < Length)
        return false;
    const auto *b = reinterpret_cast<const quint8 *>(data.constData());
    out->control = b[0];
    out->groupFunction = b[1];
    out->requester = b[RequesterByte];
    out->pgn = quint32(b[PgnByte]) | quint32(b[PgnByte + 1]) << 8 | quint32(b[PgnByte + 2]) << 16;
    return true;
}

bool AcknowledgementFunction::decodeFrame(const CanMessage &frame, Answer *out)
{
    if (!frame.extended || frame.pduFormat() != Pf)
        return false;
    if (!decodeData(QByteArray(reinterpret_cast<const char *>(frame.data), frame.length), out))
        return false;
    out->source = frame.address();
    return true;
}

QString AcknowledgementFunction::controlText(int control)
{
    if (control >= 0 && control < ControlCount)
        return tr(ControlTexts[control]);
    return tr("Control %1").arg(control);
}

TranslatableText AcknowledgementFunction::controlWords(int control)
{
    if (control >= 0 && control < ControlCount)
        return TranslatableText::catalogue("AcknowledgementFunction", ControlTexts[control]);
    return TranslatableText::catalogue("AcknowledgementFunction",
                                       QT_TRANSLATE_NOOP("AcknowledgementFunction", "Control %1"))
        .arg(control);
}

QString AcknowledgementFunction::englishControlText(int control)
{
    if (control >= 0 && control < ControlCount)
        return QString::fromLatin1(ControlTexts[control]);
    return QStringLiteral("Control %1").arg(control);
}

bool AcknowledgementFunction::dispatchMessageImpl(const CanMessage &message, DispatchResult *result)
{
    result->item = this;
    decode(QByteArray(reinterpret_cast<const char *>(message.data), message.length));
    return true;
}

bool AcknowledgementFunction::dispatchBroadcastDataImpl(const QByteArray &data)
{
    return decode(data);
}

bool AcknowledgementFunction::decode(const QByteArray &data)
{
    Answer a;
    if (!decodeData(data, &a))
        return false;
    listParameter(ControlIndex)->setValue(a.control);
    intParameter(GroupFunction)->setValue(a.groupFunction);
    intParameter(Requester)->setValue(a.requester);
    intParameter(AcknowledgedPgn)->setValue(int(a.pgn));
    for (int i = ControlIndex; i <= AcknowledgedPgn; ++i)
        parameters().at(i)->setValid(true);
    setUpdateNeeded();
    return true;
}
