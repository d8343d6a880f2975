#include "job/inventory.h"

#include "descriptions/candevicefactory.h"
#include "descriptions/j1939nametexts.h"
#include "descriptions/spnnames.h"
#include "diagnostics/addressclaimfunction.h"
#include "diagnostics/fmitexts.h"
#include "diagnostics/identificationcodec.h"
#include "model/j1939device.h"

namespace {

namespace Codec = IdentificationCodec;

constexpr int NameBytes = 8;

bool isKept(quint32 pgn)
{
    return Codec::isIdentificationPgn(pgn) || pgn == Inventory::PgnDm1 || pgn == Inventory::PgnDm2;
}

bool isTransport(const CanMessage &m)
{
    return m.pduFormat() == J1939Device::PfTransportControl
           || m.pduFormat() == J1939Device::PfTransportData;
}

QString hex(quint32 value, int width)
{
    return QStringLiteral("%1").arg(value, width, 16, QLatin1Char('0')).toUpper();
}

} // namespace

void Inventory::keep(quint8 source, quint32 pgn, const QByteArray &data)
{
    if (isKept(pgn))
        m_units[source].messages[pgn] = data;
}

void Inventory::takeEndedSessions()
{
    // Taken out as they end: the monitor keeps nothing, whatever the recording's length.
    for (const TransportMonitor::Session &s : m_monitor.takeEnded()) {
        // A connection whose acknowledgement went missing still delivered all its data.
        if (s.complete)
            keep(s.source, s.pgn & 0x3FFFF, s.data);
    }
}

void Inventory::take(const CanMessage &m, qint64 timeUs)
{
    if (!m.extended)
        return;
    Unit &unit = m_units[m.address()];
    if (isTransport(m)) {
        m_monitor.take(m, timeUs);
        takeEndedSessions();
        return;
    }
    const quint32 pgn = m.pgn() & 0x3FFFF;
    if (pgn == PgnAddressClaim && m.length >= NameBytes) {
        unit.hasName = true;
        unit.name = AddressClaimFunction::nameFromPayload(m.data);
        return;
    }
    keep(m.address(), pgn, QByteArray(reinterpret_cast<const char *>(m.data), m.length));
}

void Inventory::finish(qint64 endUs)
{
    m_monitor.finish(endUs);
    takeEndedSessions();
}

QString Inventory::nameText(quint64 name)
{
    using A = AddressClaimFunction;
    const int group = int(A::field(name, A::IndustryGroup));
    return tr("0x%1: identity number %2, manufacturer code %3, ECU instance %4, function "
              "instance %5, %6, vehicle system %7, vehicle system instance %8, "
              "industry group %9, arbitrary address capable %10")
        .arg(hex(quint32(name >> 32), 8) + hex(quint32(name), 8))
        .arg(A::field(name, A::IdentityNumber))
        .arg(A::field(name, A::ManufacturerCode))
        .arg(A::field(name, A::EcuInstance))
        .arg(A::field(name, A::FunctionInstance))
        .arg(J1939NameTexts::functionText(int(A::field(name, A::Function)), group,
                                          int(A::field(name, A::VehicleSystem))))
        .arg(A::field(name, A::VehicleSystem))
        .arg(A::field(name, A::VehicleSystemInstance))
        .arg(tr("%1 (%2)").arg(group).arg(J1939NameTexts::industryGroup(group)))
        .arg(A::field(name, A::ArbitraryAddressCapable) ? tr("yes") : tr("no"));
}

QString Inventory::codeLine(const Code &code)
{
    const QString name = SpnNames::name(code.spn);
    return tr("SPN %1%2 FMI %3 (%4) OC %5")
        .arg(QString::number(code.spn),
             name.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(name),
             QString::number(code.fmi), FmiTexts::englishText(code.fmi), QString::number(code.oc));
}

QStringList Inventory::codeLines(const QByteArray &data)
{
    QStringList lines;
    for (const Code &code : TroubleCode::decodeFaults(data))
        lines << codeLine(code);
    return lines;
}

QString Inventory::report(const CanDeviceFactory *catalogue) const
{
    if (m_units.isEmpty())
        return tr("No J1939 units in the recording.\n");
    const QString missing = tr("not in the recording");
    QString text;
    for (auto it = m_units.cbegin(); it != m_units.cend(); ++it) {
        const Unit &u = *it;
        const QString described
            = u.hasName ? AddressClaimFunction::unitDescription(u.name, quint8(it.key()), catalogue)
                        : AddressClaimFunction::addressName(quint8(it.key()), -1, catalogue);
        text += described.isEmpty() ? tr("Unit %1\n").arg(hex(it.key(), 2))
                                    : tr("Unit %1: %2\n").arg(hex(it.key(), 2), described);
        text += tr("  NAME: %1\n").arg(u.hasName ? nameText(u.name) : missing);
        const struct
        {
            quint32 pgn;
            QString label;
        } lines[] = {{Codec::PgnEcu, tr("ECU identification")},
                     {Codec::PgnSoftware, tr("Software identification")},
                     {Codec::PgnComponent, tr("Component identification")},
                     {Codec::PgnVehicle, tr("VIN")}};
        for (const auto &line : lines) {
            const auto found = u.messages.constFind(line.pgn);
            text += QStringLiteral("  %1: %2\n")
                        .arg(line.label, found == u.messages.cend()
                                             ? missing
                                             : Codec::summary(line.pgn, *found));
        }
        const auto dm19 = u.messages.constFind(Codec::PgnDm19);
        if (dm19 == u.messages.cend()) {
            text += tr("  Calibrations: %1\n").arg(missing);
        } else {
            const Codec::Calibrations list = Codec::calibrations(*dm19);
            text += tr("  Calibrations: %1\n").arg(list.size());
            for (const Codec::Calibration &c : list)
                text += tr("    CAL ID %1  CVN %2\n")
                            .arg(Codec::printable(c.calId), Codec::cvnText(c.cvn));
        }
        const struct
        {
            quint32 pgn;
            QString label;
        } codes[]
            = {{PgnDm1, tr("Active codes (DM1)")}, {PgnDm2, tr("Previously active codes (DM2)")}};
        for (const auto &kind : codes) {
            const auto found = u.messages.constFind(kind.pgn);
            if (found == u.messages.cend()) {
                text += QStringLiteral("  %1: %2\n").arg(kind.label, missing);
                continue;
            }
            const QStringList list = codeLines(*found);
            text
                += QStringLiteral("  %1: %2\n")
                       .arg(kind.label, list.isEmpty() ? tr("none") : QString::number(list.size()));
            for (const QString &line : list)
                text += QStringLiteral("    ") + line + QLatin1Char('\n');
        }
    }
    return text;
}
