#include "descriptions/unitnames.h"

#include "descriptions/candevicefactory.h"
#include "descriptions/j1939preferredaddresses.h"
#include "model/descriptiontext.h"

#include <QRegularExpression>

namespace {

// The name in the first catalogue that knows it: the description files' texts, the built-in
// units, the preferred addresses.
QString translatedName(const QString &name)
{
    const QString described = DescriptionText::translated(name);
    if (described != name)
        return described;
    const QByteArray source = name.toUtf8();
    const QString unit = CanDeviceFactory::tr(source.constData());
    if (unit != name)
        return unit;
    return J1939PreferredAddresses::tr(source.constData());
}

} // namespace

QString UnitNames::translated(const QString &label)
{
    static const QRegularExpression unnamedLabel(QStringLiteral("^Unit 0x([0-9A-Fa-f]{2})$"));
    static const QRegularExpression withAddress(QStringLiteral("^(.+) (\\(0x[0-9A-Fa-f]{2}\\))$"));
    const QRegularExpressionMatch bare = unnamedLabel.match(label);
    if (bare.hasMatch())
        return unnamed(bare.captured(1).toInt(nullptr, 16));
    const QRegularExpressionMatch m = withAddress.match(label);
    if (!m.hasMatch())
        return translatedName(label);
    return translatedName(m.captured(1)) + QLatin1Char(' ') + m.captured(2);
}

QString UnitNames::unnamed(int address)
{
    return tr("Unit 0x%1")
        .arg(QStringLiteral("%1").arg(address, 2, 16, QLatin1Char('0')).toUpper());
}
