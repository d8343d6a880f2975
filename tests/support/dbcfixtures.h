#pragma once

#include "descriptions/dbcreader.h"
#include "descriptions/dbcsignalcodec.h"
#include "support/testenvironment.h"

#include <QByteArray>
#include <QDebug>
#include <QStringList>

#include <vector>

// DBC databases read from test text or tests/data, and the signals a payload holds.
namespace DbcFixtures {

// Exactly as many bytes as asked, so that AddressSanitizer sees a read past them.
inline std::vector<quint8> bytesOf(const QByteArray &data)
{
    return std::vector<quint8>(data.begin(), data.end());
}

// Read as "t.dbc"; the warnings go to the caller.
inline DbcDatabase readText(const QByteArray &text, QStringList *warnings = nullptr)
{
    DbcReader reader;
    if (!reader.parse(text, QStringLiteral("t.dbc")))
        qWarning() << reader.errorString();
    if (warnings)
        *warnings = reader.warnings();
    return reader.database();
}

inline DbcDatabase readData(const QString &name)
{
    DbcReader reader;
    if (!reader.readFile(TestEnvironment::dataFile(name)))
        qWarning() << reader.errorString();
    if (!reader.warnings().isEmpty())
        qWarning() << reader.warnings();
    return reader.database();
}

inline QStringList presentNames(const DbcMessage &message, const QByteArray &payload)
{
    const std::vector<quint8> bytes = bytesOf(payload);
    QStringList names;
    for (const DbcDecodedSignal &one :
         DbcSignalCodec::decodeMessage(message, bytes.data(), int(bytes.size())))
        names.append(message.signalList.at(one.signalIndex).name);
    return names;
}

} // namespace DbcFixtures
