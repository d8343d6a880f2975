#include "diagnostics/addressclaimfunction.h"

#include "descriptions/candevicefactory.h"
#include "descriptions/j1939nametexts.h"
#include "descriptions/j1939preferredaddresses.h"
#include "model/j1939device.h"
#include "model/zxboolparameter.h"
#include "model/zxintparameter.h"

#include <QCoreApplication>

namespace {

constexpr int NameBytes = 8;

// Where each field of the NAME sits: first bit (of 64, least significant first) and width.
struct NameField
{
    const char *key;
    int firstBit;
    int bitCount;
    const char *text;
};

const NameField Fields[AddressClaimFunction::FieldCount] = {
    {"ID", 0, 21, QT_TRANSLATE_NOOP("AddressClaimFunction", "Identity number")},
    {"MFR", 21, 11, QT_TRANSLATE_NOOP("AddressClaimFunction", "Manufacturer code")},
    {"ECUI", 32, 3, QT_TRANSLATE_NOOP("AddressClaimFunction", "ECU instance")},
    {"FUNCI", 35, 5, QT_TRANSLATE_NOOP("AddressClaimFunction", "Function instance")},
    {"FUNC", 40, 8, QT_TRANSLATE_NOOP("AddressClaimFunction", "Function")},
    {"RES", 48, 1, QT_TRANSLATE_NOOP("AddressClaimFunction", "Reserved")},
    {"VS", 49, 7, QT_TRANSLATE_NOOP("AddressClaimFunction", "Vehicle system")},
    {"VSI", 56, 4, QT_TRANSLATE_NOOP("AddressClaimFunction", "Vehicle system instance")},
    {"IG", 60, 3, QT_TRANSLATE_NOOP("AddressClaimFunction", "Industry group")},
    {"AAC", 63, 1, QT_TRANSLATE_NOOP("AddressClaimFunction", "Arbitrary address capable")},
};

quint64 fieldMask(int bitCount)
{
    return (quint64(1) << bitCount) - 1;
}

} // namespace

AddressClaimFunction::AddressClaimFunction(QObject *parent)
    : StaticPgnJ1939DeviceFunction(0xEE, 0x00, parent)
{
    setObjectName(QStringLiteral("AddressClaimFunction"));
    setName(tr("Address Claimed"));
    for (int i = 0; i < FieldCount; ++i) {
        // The editors show the full name; scheme files and the console program find the field
        // by its key.
        const QString key = QString::fromLatin1(Fields[i].key);
        const QString text = tr(Fields[i].text);
        ZxParameter *p = i == ArbitraryAddressCapable
                             ? static_cast<ZxParameter *>(addBoolParameter(text, key))
                             : static_cast<ZxParameter *>(addIntParameter(text, key));
        p->setDescription(QStringLiteral("%1 (%2)").arg(text, key));
    }
    // Units claim at power-up and when asked, never periodically; the row shows activity for
    // five seconds after a claim. A NAME edited while the tool stands in for the unit is claimed
    // at once.
    setDeviceType(SpontaneousCommit, 5000);
    // A function made by auto-add decodes the claim that made it before it joins its unit;
    // queued, this runs once registration has made it the unit's child.
    connect(
        this, &AbstractDisplayableItem::registered, this,
        [this] {
            if (m_hasName)
                nameTheUnit(m_lastName);
        },
        Qt::QueuedConnection);
}

quint32 AddressClaimFunction::field(quint64 name, Index index)
{
    const NameField &f = Fields[index];
    return quint32((name >> f.firstBit) & fieldMask(f.bitCount));
}

quint64 AddressClaimFunction::nameFromPayload(const quint8 *data)
{
    quint64 name = 0;
    for (int i = NameBytes - 1; i >= 0; --i)
        name = name << 8 | data[i];
    return name;
}

bool AddressClaimFunction::dispatchMessageImpl(const CanMessage &message, DispatchResult *result)
{
    result->item = this;
    decode(QByteArray(reinterpret_cast<const char *>(message.data), message.length));
    return true;
}

bool AddressClaimFunction::decode(const QByteArray &data)
{
    // A claim always carries the whole NAME; a shorter frame is not one.
    if (data.size() < NameBytes)
        return false;
    const quint64 n = nameFromPayload(reinterpret_cast<const quint8 *>(data.constData()));
    m_lastName = n;
    m_hasName = true;
    nameTheUnit(n);
    for (int i = 0; i < FieldCount; ++i) {
        const quint32 value = field(n, Index(i));
        if (i == ArbitraryAddressCapable)
            boolParameter(i)->setValue(value != 0);
        else
            intParameter(i)->setValue(int(value));
        parameters().at(i)->setValid(true);
    }
    setUpdateNeeded();
    return true;
}

QString AddressClaimFunction::addressName(quint8 address, int industryGroup,
                                          const CanDeviceFactory *catalogue)
{
    return catalogue ? catalogue->addressName(address, industryGroup)
                     : J1939PreferredAddresses::name(address, industryGroup);
}

QString AddressClaimFunction::unitDescription(quint64 name, quint8 address,
                                              const CanDeviceFactory *catalogue)
{
    // The address table of the unit's industry group first, then its function in words.
    const int group = int(field(name, IndustryGroup));
    const QString byAddress = addressName(address, group, catalogue);
    if (!byAddress.isEmpty())
        return byAddress;
    QString function = J1939NameTexts::function(int(field(name, Function)), group,
                                                int(field(name, VehicleSystem)));
    if (!function.isEmpty())
        function[0] = function.at(0).toUpper();
    return function;
}

QString AddressClaimFunction::unitName(quint64 name, quint8 address,
                                       const CanDeviceFactory *catalogue)
{
    const QString described = unitDescription(name, address, catalogue);
    if (!described.isEmpty())
        return J1939PreferredAddresses::withAddress(described, address);
    const QString hex = QString::number(address, 16).rightJustified(2, QLatin1Char('0')).toUpper();
    return tr("Manufacturer %1, function %2 (0x%3)")
        .arg(field(name, ManufacturerCode))
        .arg(field(name, Function))
        .arg(hex);
}

void AddressClaimFunction::nameTheUnit(quint64 name)
{
    auto *unit = qobject_cast<J1939Device *>(parentItem());
    if (!unit)
        return;
    const quint8 address = quint8(unit->address().value);
    const CanDeviceFactory *catalogue = CanDeviceFactory::of(unit->dispatcher());
    const QString current = unit->name();
    // Only a name the program chose gives way: one the engineer typed stays.
    const bool automatic
        = current == QCoreApplication::translate("CanDeviceFactory", "Unknown device")
          || current
                 == J1939PreferredAddresses::withAddress(addressName(address, -1, catalogue),
                                                         address)
          || (!m_givenName.isEmpty() && current == m_givenName);
    if (!automatic)
        return;
    m_givenName = unitName(name, address, catalogue);
    if (current != m_givenName)
        unit->setName(m_givenName);
}

quint64 AddressClaimFunction::name() const
{
    quint64 n = 0;
    for (int i = 0; i < FieldCount; ++i) {
        const quint64 value = i == ArbitraryAddressCapable
                                  ? quint64(boolParameter(i)->value())
                                  : quint64(quint32(intParameter(i)->value()));
        n |= (value & fieldMask(Fields[i].bitCount)) << Fields[i].firstBit;
    }
    return n;
}

CanMessage AddressClaimFunction::claimFrame(quint64 name, quint8 source, quint8 priority)
{
    quint8 data[NameBytes];
    for (quint8 &byte : data) {
        byte = quint8(name & 0xFF);
        name >>= 8;
    }
    // A claim goes to the global address, whoever asked for it.
    const quint32 id = quint32(priority & 0x07) << 26 | quint32(J1939Device::PfAddressClaim) << 16
                       | quint32(CanMessage::GlobalAddress) << 8 | source;
    return CanMessage(id, data, NameBytes);
}

void AddressClaimFunction::transmitState()
{
    CanMessage message = claimFrame(name(), quint8(j1939DeviceAddress()), defaultPriority());
    sendMessage(message);
}
