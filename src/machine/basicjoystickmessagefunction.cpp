#include "machine/basicjoystickmessagefunction.h"

#include "machine/bitfield.h"
#include "machine/editors/bjmschemetreeitem.h"
#include "machine/saebuttonparameter.h"
#include "machine/saejoystickparameter.h"

#include <QIODevice>

namespace {

// PDU specific of message n is 0xD4 + 2n.
quint8 bjmPduSpecific(int number)
{
    return quint8(0xD4 + 2 * qBound(1, number, 3));
}

// Position: bits 7-6 of the status byte are its low bits, the next byte the high ones.
SaeJoystickAxisValue readAxis(const unsigned char *bytes, quint8 detent)
{
    SaeJoystickAxisValue axis;
    axis.neutral = bytes[0] & 3;
    axis.negative = (bytes[0] >> 2) & 3;
    axis.positive = (bytes[0] >> 4) & 3;
    axis.position = quint16((bytes[0] >> 6) + 4 * bytes[1]);
    axis.detent = detent;
    return axis;
}

void writeAxis(const SaeJoystickAxisValue &axis, unsigned char *bytes)
{
    const quint64 position = quint64(BitField::clamp(axis.position, 0, 1023));
    quint64 word = 0;
    BitField::put(word, 0, 2, axis.neutral);
    BitField::put(word, 2, 2, axis.negative);
    BitField::put(word, 4, 2, axis.positive);
    BitField::put(word, 6, 10, qint64(position));
    bytes[0] = quint8(word);
    bytes[1] = quint8(word >> 8);
}

const char *const AxisFieldIds[]
    = {"X", "Y", "XNEUT", "YNEUT", "XPOS", "YPOS", "XNEG", "YNEG", "XDET", "YDET"};

} // namespace

BasicJoystickMessageFunction::BasicJoystickMessageFunction(int number, QObject *parent)
    : BitFieldFunction(0xFD, bjmPduSpecific(number), parent)
    , m_number(qBound(1, number, 3))
{
    setObjectName(QStringLiteral("BasicJoystickMessageFunction"));
    setName(tr("BJM%1").arg(m_number));
    setDefaultPriority(3);
    addParameter(new SaeJoystickParameter, QStringLiteral("J"));
    for (int k = 0; k < ButtonCount; ++k) {
        addParameter(new SaeButtonParameter, QStringLiteral("B%1").arg(k + 1));
        addField(k + 1, 8 * (5 + k / 4) + 6 - 2 * (k % 4), 2);
    }
    setDeviceType(ContinuousCommit, 100);
}

SaeJoystickParameter *BasicJoystickMessageFunction::joystick() const
{
    return static_cast<SaeJoystickParameter *>(parameters().at(0));
}

void BasicJoystickMessageFunction::decodeExtra(const unsigned char *data)
{
    SaeJoystickValue v;
    v.x = readAxis(data, (data[4] >> 6) & 3);
    v.y = readAxis(data + 2, (data[4] >> 4) & 3);
    joystick()->setValue(v);
}

void BasicJoystickMessageFunction::encodeExtra(unsigned char *data) const
{
    const SaeJoystickValue v = joystick()->value();
    writeAxis(v.x, data);
    writeAxis(v.y, data + 2);
    data[4] = quint8((data[4] & 0x0F) | (v.x.detent & 3) << 6 | (v.y.detent & 3) << 4);
}

QString BasicJoystickMessageFunction::textDataImpl() const
{
    QString buttons;
    for (int k = 1; k <= ButtonCount; ++k)
        buttons += parameters().at(k)->toString();
    return QStringLiteral("J=%1 B=%2").arg(joystick()->toString(), buttons);
}

void BasicJoystickMessageFunction::dumpParameterIdsImpl(QIODevice *device)
{
    // The joystick takes ten columns, so its ids are ten as well.
    const QString prefix = logPrefix();
    for (const char *field : AxisFieldIds) {
        device->write(",");
        device->write(
            sanitizeParameterId(prefix + QStringLiteral("J_") + QLatin1String(field)).toLatin1());
    }
    for (int k = 1; k <= ButtonCount; ++k) {
        device->write(",");
        device->write(sanitizeParameterId(prefix + parameters().at(k)->name()).toLatin1());
    }
}

void BasicJoystickMessageFunction::dumpParametersImpl(QIODevice *device)
{
    const SaeJoystickValue v = joystick()->value();
    device->write(QStringLiteral(",%1,%2,%3,%4,%5,%6,%7,%8,%9,%10")
                      .arg(v.x.position)
                      .arg(v.y.position)
                      .arg(v.x.neutral)
                      .arg(v.y.neutral)
                      .arg(v.x.positive)
                      .arg(v.y.positive)
                      .arg(v.x.negative)
                      .arg(v.y.negative)
                      .arg(v.x.detent)
                      .arg(v.y.detent)
                      .toLatin1());
    for (int k = 1; k <= ButtonCount; ++k) {
        device->write(",");
        device->write(parameters().at(k)->toString().toLatin1());
    }
}

AbstractSchemeTreeItem *BasicJoystickMessageFunction::createTreeItem()
{
    return new BJMSchemeTreeItem(this);
}
