#pragma once

#include "model/staticpgnj1939devicefunction.h"

class CanDeviceFactory;

// Address claim (PGN 0xEE00): the 64-bit NAME a unit claims its address with, split into its
// fields, and sent to the global address when the tool stands in for the unit.
class AddressClaimFunction : public StaticPgnJ1939DeviceFunction
{
    Q_OBJECT

public:
    enum Index {
        IdentityNumber = 0,
        ManufacturerCode,
        EcuInstance,
        FunctionInstance,
        Function,
        Reserved,
        VehicleSystem,
        VehicleSystemInstance,
        IndustryGroup,
        ArbitraryAddressCapable,
        FieldCount
    };

    explicit AddressClaimFunction(QObject *parent = nullptr);

    bool dispatchMessageImpl(const CanMessage &message, DispatchResult *result) override;
    void transmitState() override;

    // The NAME is carried least significant byte first in the eight data bytes.
    bool decode(const QByteArray &data);
    quint64 name() const;
    static quint64 nameFromPayload(const quint8 *data);
    // The claim of `name` from `source` to the global address (priority 6).
    static CanMessage claimFrame(quint64 name, quint8 source, quint8 priority = 6);
    // One field of a NAME.
    static quint32 field(quint64 name, Index index);
    // "Manufacturer 273, function 130 (0x00)": what a claim says about the unit at an address.
    // What the bus's catalogue, else the J1939 address table of the industry group (-1: not
    // known), calls a unit at this address; empty when neither knows it.
    static QString addressName(quint8 address, int industryGroup = -1,
                               const CanDeviceFactory *catalogue = nullptr);
    // What the NAME and the address tell of a unit ("Engine #1", "Navigation device"); empty
    // when they tell nothing.
    static QString unitDescription(quint64 name, quint8 address,
                                   const CanDeviceFactory *catalogue = nullptr);
    // The unit's name in the tree: its description with the address, else the NAME's numbers.
    static QString unitName(quint64 name, quint8 address,
                            const CanDeviceFactory *catalogue = nullptr);

private:
    // A unit named automatically (unknown, or after its preferred address) takes the name its
    // claim gives it; a name the user chose stays.
    void nameTheUnit(quint64 name);

    QString m_givenName; // the name this function last gave its unit; bus thread
    quint64 m_lastName = 0;
    bool m_hasName = false;
};
