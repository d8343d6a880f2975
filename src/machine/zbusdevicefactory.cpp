#include "machine/zbusdevicefactory.h"

#include "can/canmessage.h"
#include "machine/controllerzbusbridgedevicefunction.h"
#include "machine/unknownzbusdevice.h"
#include "machine/zbussensors.h"
#include "model/zbusmessage.h"

DeviceFactoryEntry ZBusDeviceFactory::zbusEntry(const QByteArray &key, quint8 address,
                                                const QString &name, const QString &description,
                                                const QString &fullDescription,
                                                DeviceFactoryEntry::Creator create)
{
    return DeviceFactoryEntry(key, {ItemAddress::ZBus, address}, name, description, fullDescription,
                              std::move(create));
}

// No QObject parent: the factory lives in the GUI thread, its bridge in the bus thread. The
// bridge deletes it.
ZBusDeviceFactory::ZBusDeviceFactory(ControllerZBusBridgeDeviceFunction *bridge)
    : AbstractDeviceFactory(nullptr)
    , m_bridge(bridge)
{
    setDefaultIcon(QIcon(QStringLiteral(":/zbus.png")));
    setUnknownEntry(zbusEntry("unknown_zbus_device", 0xFF, tr("Unknown ZBus device"),
                              QStringLiteral("UNKNOWN_ZBUS_DEV_DESC_PH"),
                              QStringLiteral("UNKNOWN_ZBUS_DEV_FDESC_PH"),
                              UnknownZBusDevice::create));
    const QString zsa = QStringLiteral("ZSA_DESC_PH"), zsaFull = QStringLiteral("ZSA_FULL_DESC_PH");
    for (quint8 a : {0x20, 0x21, 0x22})
        appendEntry(zbusEntry("zsa-01", a, tr("ZSA-01"), zsa, zsaFull, ZBusSensorA::create));
    for (quint8 a : {0x04, 0x06, 0x09})
        appendEntry(zbusEntry("zsa-01", a, tr("ZSA-T"), zsa, zsaFull, ZBusSensorA::create));
    const QString zse = QStringLiteral("ZSE_DESC_PH"), zseFull = QStringLiteral("ZSE_FULL_DESC_PH");
    appendEntry(zbusEntry("zse", 0x1D, tr("ZSE"), zse, zseFull, ZBusSensorE::create));
    appendEntry(zbusEntry("zsd", 0x1D, tr("ZSD"), zse, zseFull, ZBusSensorD::create));
    appendEntry(zbusEntry("zsk", 0x0E, tr("ZSK"), QStringLiteral("ZSK_DESC_PH"),
                          QStringLiteral("ZSK_FULL_DESC_PH"), ZBusSensorK::create));
    appendEntry(zbusEntry("zsl", 0x0F, tr("ZSL"), QStringLiteral("ZSL_DESC_PH"),
                          QStringLiteral("ZSL_FDESC_PH"), ZBusSensorL::create));
    const QByteArray zsbKeys[] = {"zsb-06", "zsb-07", "zsb-15", "zsb-16", "zsb-17", "zsb-18"};
    const quint8 zsbAddresses[] = {0x06, 0x07, 0x15, 0x16, 0x17, 0x18};
    for (int i = 0; i < 6; ++i)
        appendEntry(zbusEntry(zsbKeys[i], zsbAddresses[i], tr("ZSB"), QStringLiteral("ZSB_DESC_PH"),
                              QStringLiteral("ZSB_FDESC_PH"), ZBusSensorB::create));
    const QByteArray positionKeys[] = {"01", "04", "03", "02"};
    for (int i = 0; i < 4; ++i) {
        const QByteArray key = "zsg." + positionKeys[i];
        appendEntry(zbusEntry(key, quint8(0x19 + i), QString::fromLatin1(key.toUpper()),
                              QStringLiteral("ZSP_DESC_PH"), QStringLiteral("ZSP_FDESC_PH"),
                              ZBusSensorG::create));
    }
    for (int i = 0; i < 4; ++i) {
        const QByteArray key = "zsf." + positionKeys[i];
        appendEntry(zbusEntry(key, quint8(0x19 + i), QString::fromLatin1(key.toUpper()),
                              QStringLiteral("ZSP_DESC_PH"), QStringLiteral("ZSP_FDESC_PH"),
                              ZBusSensorF::create));
    }
    const QString zsh = QStringLiteral("ZSH_DESC_PH");
    appendEntry(zbusEntry("zsh-03", 0x03, tr("ZSH"), zsh, zsh, ZBusSensorH::create));
    appendEntry(zbusEntry("zsc", 0x28, tr("ZSC"), QStringLiteral("ZSC_DESC_PH"),
                          QStringLiteral("ZSC_DESC_PH"), ZBusSensorC::create));
    appendEntry(zbusEntry("zsh-01", 0x01, tr("ZSH"), zsh, zsh, ZBusSensorH::create));
    appendEntry(zbusEntry("zsh-02", 0x02, tr("ZSH"), zsh, zsh, ZBusSensorH::create));
    appendEntry(zbusEntry("zsj", 0x31, tr("ZSJ"), zsh, zsh, ZBusSensorJ::create));
}

QObject *ZBusDeviceFactory::owner() const
{
    return m_bridge.data();
}

AbstractDisplayableItem *ZBusDeviceFactory::createDevice(const CanMessage &frame)
{
    // A short frame names no sensor reliably.
    if (frame.length < CanMessage::MaxLength)
        return nullptr;
    const quint8 address = ZBusMessage(frame).address();
    for (const DeviceFactoryEntry &e : entries()) {
        if (e.address.kind == ItemAddress::ZBus && e.address.value == address)
            return createDeviceFromKey(e.key, e.address);
    }
    return nullptr;
}
