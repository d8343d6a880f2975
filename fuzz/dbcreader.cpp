// Arbitrary bytes as a DBC database: no crash, and whatever loads is sound enough to decode with.
#include "descriptions/dbcreader.h"
#include "descriptions/dbcsignalcodec.h"

#include <QByteArray>

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    DbcReader reader;
    if (!reader.parse(QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size)),
                      QStringLiteral("fuzz.dbc")))
        return 0;
    if (reader.warnings().size() > DbcReader::MaxWarnings + 1)
        std::abort();
    const DbcDatabase &database = reader.database();
    for (const DbcMessage &message : database.messages) {
        if (message.extended ? message.id > 0x1FFFFFFF : message.id > 0x7FF)
            std::abort();
        if (message.length < 0 || message.length > DbcReader::MaxMessageLength)
            std::abort();
        if (!database.messageForFrame(message.id, message.extended))
            std::abort();
        for (const DbcSignal &signal : message.signalList) {
            if (!DbcSignalCodec::fits(signal, message.length))
                std::abort();
            if (signal.muxSwitchIndex < -1 || signal.muxSwitchIndex >= message.signalList.size())
                std::abort();
        }
        // Every signal decodes from a payload of the message's length, and from none.
        const std::vector<quint8> payload(size_t(message.length), 0xA5);
        DbcSignalCodec::decodeMessage(message, payload.data(), int(payload.size()));
        DbcSignalCodec::decodeMessage(message, nullptr, 0);
    }
    return 0;
}
