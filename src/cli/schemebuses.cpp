#include "cli/schemebuses.h"

#include "can/busnames.h"
#include "cli/cli.h"
#include "cli/recordingdecoder.h"

#include <QDomDocument>
#include <QFile>

#include <algorithm>

namespace {

// The bus a unit's element names, or -1 for none (or one that is no bus number).
int busOf(const QDomElement &device)
{
    bool ok = false;
    const uint bus = device.attribute(SchemeBuses::attribute()).toUInt(&ok);
    return ok && bus <= uint(BusNames::MaxBus) ? int(bus) : -1;
}

} // namespace

bool SchemeBuses::read(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = Cli::tr("Cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    m_path = path;
    m_content = file.readAll();
    m_buses.clear();
    // A text without the attribute's name names no bus, and is not parsed twice (its loader
    // parses it): in any encoding without zero bytes, the name is these ASCII bytes.
    if (!m_content.contains('\0') && !m_content.contains(attribute().toLatin1()))
        return true;
    QDomDocument doc;
    if (!doc.setContent(m_content))
        return true;
    for (QDomElement e = doc.documentElement().firstChildElement(QStringLiteral("device"));
         !e.isNull(); e = e.nextSiblingElement(QStringLiteral("device"))) {
        const int bus = busOf(e);
        if (bus >= 0 && !m_buses.contains(quint8(bus)))
            m_buses.append(quint8(bus));
    }
    std::sort(m_buses.begin(), m_buses.end());
    return true;
}

QByteArray SchemeBuses::filtered(const std::function<bool(int bus)> &keep) const
{
    QDomDocument doc;
    if (!doc.setContent(m_content))
        return m_content; // for the loader to tell what is wrong
    QDomElement root = doc.documentElement();
    for (QDomElement e = root.firstChildElement(QStringLiteral("device")); !e.isNull();) {
        const QDomElement next = e.nextSiblingElement(QStringLiteral("device"));
        if (!keep(busOf(e)))
            root.removeChild(e);
        e = next;
    }
    return doc.toByteArray(2);
}

QByteArray SchemeBuses::contentFor(quint8 bus, bool first) const
{
    if (m_buses.isEmpty())
        return first ? m_content : QByteArray();
    return filtered([bus, first](int on) { return on < 0 ? first : on == bus; });
}

QByteArray SchemeBuses::partFor(int bus) const
{
    if (m_buses.isEmpty())
        return bus < 0 ? m_content : QByteArray();
    return filtered([bus](int on) { return on == bus; });
}

bool SchemeBuses::check(RecordingDecoder *first, const CanDeviceFactory::Databases &databases,
                        QString *error) const
{
    if (m_buses.isEmpty())
        return first->loadScheme(m_content, m_path, error);
    QVector<int> parts{-1};
    for (const quint8 bus : m_buses)
        parts.append(bus);
    for (const int bus : qAsConst(parts)) {
        RecordingDecoder decoder;
        decoder.setDbcDatabases(databases);
        if (!decoder.loadScheme(partFor(bus), m_path, error))
            return false;
    }
    return true;
}
