#include "support/rp1210folder.h"

#include "support/fakelibrary.h"

#include <QDir>
#include <QFile>

const char *const Rp1210Folder::MainIni = "[RP1210Support]\r\n"
                                          "APIImplementations=FAKEVND\r\n";

// Key case as vendors write it, which varies; a comma inside a value.
const char *const Rp1210Folder::VendorIni = "[VendorInformation]\r\n"
                                            "Name=Fake Vendor, Inc.\r\n"
                                            "Devices=1,2\r\n"
                                            "Protocols=1\r\n"
                                            "; the USB link first\r\n"
                                            "[DeviceInformation1]\r\n"
                                            "DeviceID=1\r\n"
                                            "DeviceDescription=Fake link, USB\r\n"
                                            "[deviceinformation2]\r\n"
                                            "deviceId=2\r\n"
                                            "DEVICEDESCRIPTION=Fake link, Bluetooth\r\n"
                                            "[ProtocolInformation1]\r\n"
                                            "ProtocolString=J1939\r\n"
                                            "Devices=1,2\r\n";

Rp1210Folder::Rp1210Folder()
{
    write(QStringLiteral("RP1210.INI"), MainIni);
    write(QStringLiteral("FAKEVND.INI"), VendorIni);
}

void Rp1210Folder::write(const QString &name, const QByteArray &text)
{
    QFile file(QDir(m_dir.path()).filePath(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size())
        qFatal("cannot write %s", qPrintable(file.fileName()));
}

void Rp1210Folder::remove(const QString &name)
{
    QFile::remove(QDir(m_dir.path()).filePath(name));
}

Rp1210CanHandler::Options Rp1210Folder::options(Rp1210Records::Protocol protocol) const
{
    Rp1210CanHandler::Options options;
    options.folder = path();
    options.library = FakeLibrary::pathOf(FakeLibrary::Rp1210);
    options.protocol = protocol;
    return options;
}

QString Rp1210Folder::portName(int device)
{
    return device == 1 ? QStringLiteral("FAKEVND/1 Fake link, USB")
                       : QStringLiteral("FAKEVND/2 Fake link, Bluetooth");
}
