#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// The heavy-duty adapter installations of this computer as their INI files list them:
// RP1210.INI names the vendor implementations ([RP1210Support] APIImplementations=A,B), each
// implementation's A.INI names its devices ([DeviceInformationN] DeviceID, DeviceDescription),
// and its library is A.DLL. Sections and keys are matched without regard to case and values are
// taken whole (commas included), as the vendors' files are written for Windows' own reader.
// A plain value read on the GUI thread.
class Rp1210Ini
{
public:
    struct Device
    {
        int id = 0;
        QString description;
    };

    struct Vendor
    {
        QString implementation; // the name in RP1210.INI, also the INI's and library's base name
        QString name;           // [VendorInformation] Name, the implementation when absent
        QList<Device> devices;
    };

    // Where Windows keeps the files: the Windows folder.
    static QString defaultFolder();

    // Reads RP1210.INI and every listed vendor's INI in `folder`. False when RP1210.INI is
    // missing or lists nothing usable; errorString() says why. A vendor whose own INI is missing
    // or lists no device is left out with a line in warnings().
    bool load(const QString &folder);
    QString errorString() const { return m_error; }
    QStringList warnings() const { return m_warnings; }
    QString folder() const { return m_folder; }
    QList<Vendor> vendors() const { return m_vendors; }

    // The library to load for an implementation: its file in the folder when there is one
    // (A.dll, or libA.so / A.so elsewhere), else the base name for the system's search path.
    QString libraryFor(const QString &implementation) const;

    // One INI file: section → key → value, section and key names in lower case.
    using Sections = QMap<QString, QMap<QString, QString>>;
    static Sections parse(const QByteArray &text);

private:
    // The file of that name in the folder, whatever the case of its letters; empty when none.
    QString findFile(const QString &name) const;
    bool loadVendor(const QString &implementation, Vendor *vendor);

    QString m_folder;
    QString m_error;
    QStringList m_warnings;
    QList<Vendor> m_vendors;
};
