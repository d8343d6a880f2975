#pragma once

#include "can/rp1210canhandler.h"

#include <QByteArray>
#include <QTemporaryDir>

// A folder of heavy-duty adapter INI files as a vendor's installer leaves them: RP1210.INI
// naming the implementation FAKEVND, whose FAKEVND.INI lists two devices. The handler's options
// point at it and at the fake RP1210 library.
class Rp1210Folder
{
public:
    Rp1210Folder();

    QString path() const { return m_dir.path(); }
    // Writes (or replaces) one file of the folder.
    void write(const QString &name, const QByteArray &text);
    void remove(const QString &name);
    Rp1210CanHandler::Options options(Rp1210Records::Protocol protocol
                                      = Rp1210Records::Protocol::J1939) const;

    // The port names the handler lists for the two devices.
    static QString portName(int device = 1);
    static const char *const MainIni;
    static const char *const VendorIni;

private:
    QTemporaryDir m_dir;
};
