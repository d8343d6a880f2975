#include "can/zentraxv1canhandler.h"

#include <QDateTime>
#include <QDebug>

ZentraxV1CanHandler::ZentraxV1CanHandler(AbstractCanMessageDispatcher *dispatcher, QObject *parent)
    : AbstractSerialCanHandler(dispatcher, parent)
{}

ZentraxV1CanHandler::~ZentraxV1CanHandler()
{
    stop();
}

bool ZentraxV1CanHandler::setTransceiverInThreadImpl(unsigned id)
{
    const bool ok = openPort(cachedPortName(id));
    updateTrivialPortParameters();
    m_codec.clear();
    return ok;
}

bool ZentraxV1CanHandler::startInThreadImpl()
{
    if (port()->isOpen())
        return true;
    if (!port()->open(QIODevice::ReadWrite))
        return false;
    updateTrivialPortParameters();
    m_codec.clear();
    setBaudRateImpl(baudRate());
    return true;
}

bool ZentraxV1CanHandler::setBaudRateImpl(unsigned rate)
{
    const int code = ZentraxV1Codec::bitRateCode(rate);
    if (code < 0)
        return false;
    const quint8 body = quint8(code);
    const bool ok = writePacket(ZentraxV1Codec::CanSettings, &body, 1);
    writePacket(ZentraxV1Codec::SettingsCommit, nullptr, 0);
    return ok;
}

bool ZentraxV1CanHandler::writePacket(quint8 id, const quint8 *data, int length)
{
    m_packet.clear();
    if (!ZentraxV1Codec::encodePacket(id, data, length, &m_packet))
        return false;
    const bool ok = port()->write(m_packet) == m_packet.size();
    port()->flush();
    return ok;
}

void ZentraxV1CanHandler::sendMessagesImpl(const CanMessage *messages, unsigned count, bool *ok)
{
    *ok = true;
    for (unsigned i = 0; i < count; ++i) {
        m_packet.clear();
        if (!ZentraxV1Codec::encodeFrame(messages[i], &m_packet)
            || port()->write(m_packet) != m_packet.size()) {
            qDebug("%lld Unable to write packet %u out of %u", QDateTime::currentMSecsSinceEpoch(),
                   i, count);
            *ok = false;
            break;
        }
    }
    port()->flush();
}

int ZentraxV1CanHandler::decoderRoom() const
{
    return m_codec.room();
}

void ZentraxV1CanHandler::feedDecoder(const char *data, int size)
{
    m_codec.feed(data, size);
}

int ZentraxV1CanHandler::decode(QVector<CanMessage> *out, int maxFrames)
{
    return m_codec.decode(out, maxFrames);
}
