#include "can/rp1210ini.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const char *const MainIni = "RP1210.INI";
const char *const SupportSection = "rp1210support";
const char *const ImplementationsKey = "apiimplementations";
const char *const VendorSection = "vendorinformation";
const char *const DeviceSectionPrefix = "deviceinformation";

bool isComment(const QString &line)
{
    return line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#'));
}

QStringList listValue(const QString &value)
{
    QStringList items;
    for (const QString &item : value.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString trimmed = item.trimmed();
        if (!trimmed.isEmpty())
            items << trimmed;
    }
    return items;
}

} // namespace

QString Rp1210Ini::defaultFolder()
{
    for (const char *variable : {"WINDIR", "SystemRoot"}) {
        const QString folder = qEnvironmentVariable(variable);
        if (!folder.isEmpty())
            return QDir::fromNativeSeparators(folder);
    }
#if defined(Q_OS_WIN)
    return QStringLiteral("C:/Windows");
#else
    // No Windows folder here: the files are looked for beside the program.
    return QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
#endif
}

Rp1210Ini::Sections Rp1210Ini::parse(const QByteArray &text)
{
    Sections sections;
    QString section;
    QByteArray body = text;
    if (body.startsWith("\xEF\xBB\xBF"))
        body.remove(0, 3);
    // The vendors write these files in the system's 8-bit code page.
    const QString decoded = QString::fromLocal8Bit(body);
    for (QString line : decoded.split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (line.isEmpty() || isComment(line))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            const int end = line.indexOf(QLatin1Char(']'));
            section = line.mid(1, end < 0 ? -1 : end - 1).trimmed().toLower();
            sections[section];
            continue;
        }
        const int equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0 || section.isEmpty())
            continue;
        sections[section][line.left(equals).trimmed().toLower()] = line.mid(equals + 1).trimmed();
    }
    return sections;
}

QString Rp1210Ini::findFile(const QString &name) const
{
    const QDir dir(m_folder);
    const QStringList files = dir.entryList(QDir::Files | QDir::Readable);
    for (const QString &file : files) {
        if (file.compare(name, Qt::CaseInsensitive) == 0)
            return dir.filePath(file);
    }
    return QString();
}

bool Rp1210Ini::load(const QString &folder)
{
    m_folder = folder;
    m_error.clear();
    m_warnings.clear();
    m_vendors.clear();
    const QString mainPath = findFile(QString::fromLatin1(MainIni));
    QFile main(mainPath);
    if (mainPath.isEmpty() || !main.open(QIODevice::ReadOnly)) {
        m_error = QCoreApplication::translate("Rp1210", "%1 not found in %2")
                      .arg(QLatin1String(MainIni), QDir::toNativeSeparators(folder));
        return false;
    }
    const Sections sections = parse(main.readAll());
    const QStringList implementations = listValue(
        sections.value(QLatin1String(SupportSection)).value(QLatin1String(ImplementationsKey)));
    if (implementations.isEmpty()) {
        m_error = QCoreApplication::translate("Rp1210", "%1 lists no adapter library "
                                                        "([RP1210Support] APIImplementations)")
                      .arg(QDir::toNativeSeparators(mainPath));
        return false;
    }
    for (const QString &implementation : implementations) {
        Vendor vendor;
        if (loadVendor(implementation, &vendor))
            m_vendors << vendor;
    }
    if (m_vendors.isEmpty()) {
        m_error = QCoreApplication::translate("Rp1210", "No adapter of %1 lists a device:\n%2")
                      .arg(QDir::toNativeSeparators(mainPath), m_warnings.join(QLatin1Char('\n')));
        return false;
    }
    return true;
}

bool Rp1210Ini::loadVendor(const QString &implementation, Vendor *vendor)
{
    const QString path = findFile(implementation + QStringLiteral(".INI"));
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        m_warnings << QCoreApplication::translate("Rp1210", "%1.INI not found").arg(implementation);
        return false;
    }
    const Sections sections = parse(file.readAll());
    vendor->implementation = implementation;
    vendor->name = sections.value(QLatin1String(VendorSection)).value(QStringLiteral("name"));
    if (vendor->name.isEmpty())
        vendor->name = implementation;
    // The device sections in the order the file lists them, else in the order they appear.
    QStringList deviceSections;
    for (const QString &number :
         listValue(sections.value(QLatin1String(VendorSection)).value(QStringLiteral("devices"))))
        deviceSections << QLatin1String(DeviceSectionPrefix) + number.toLower();
    if (deviceSections.isEmpty()) {
        for (auto it = sections.cbegin(); it != sections.cend(); ++it) {
            if (it.key().startsWith(QLatin1String(DeviceSectionPrefix)))
                deviceSections << it.key();
        }
    }
    for (const QString &name : deviceSections) {
        const QMap<QString, QString> section = sections.value(name);
        bool ok = false;
        const int id = section.value(QStringLiteral("deviceid")).toInt(&ok);
        // The API passes the device as a 16-bit number.
        if (!ok || id < 0 || id > 0x7FFF)
            continue;
        Device device;
        device.id = id;
        device.description = section.value(QStringLiteral("devicedescription"));
        if (device.description.isEmpty())
            device.description = section.value(QStringLiteral("devicename"));
        vendor->devices << device;
    }
    if (vendor->devices.isEmpty()) {
        m_warnings
            << QCoreApplication::translate("Rp1210", "%1.INI lists no device").arg(implementation);
        return false;
    }
    return true;
}

QString Rp1210Ini::libraryFor(const QString &implementation) const
{
#if defined(Q_OS_WIN)
    const QStringList candidates{implementation + QStringLiteral(".DLL")};
#else
    const QStringList candidates{QStringLiteral("lib") + implementation + QStringLiteral(".so"),
                                 implementation + QStringLiteral(".so")};
#endif
    for (const QString &candidate : candidates) {
        const QString path = findFile(candidate);
        if (!path.isEmpty())
            return path;
    }
    return implementation;
}
