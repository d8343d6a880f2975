#include "cli/eventrowwriter.h"

#include "model/abstractdisplayableitem.h"
#include "model/zxparameter.h"
#include "ui/parameterlog.h"

#include <cstdio>

namespace {

constexpr int BlockSize = 256 * 1024;

// A value as a CSV field: numbers, the usual case, go in as they are; a text with a separator,
// quote or line break is quoted as the parameter log quotes it.
void appendField(QByteArray &out, const QString &text)
{
    const QChar *c = text.constData();
    const int n = text.size();
    for (int i = 0; i < n; ++i) {
        const ushort u = c[i].unicode();
        if (u == ',' || u == '"' || u == '\n' || u == '\r' || u > 0x7F) {
            out += ParameterLog::csvField(text);
            return;
        }
    }
    const int at = out.size();
    out.resize(at + n);
    char *d = out.data() + at;
    for (int i = 0; i < n; ++i)
        d[i] = char(c[i].unicode());
}

} // namespace

EventRowWriter::EventRowWriter(qint64 startUs)
    : m_startUs(startUs)
{
    m_block.reserve(BlockSize + 4096);
}

QByteArray EventRowWriter::headerLine()
{
    return QByteArrayLiteral("Time,Address,PGN,Function,Parameter,Value,Unit\n");
}

const EventRowWriter::ItemText &EventRowWriter::textFor(AbstractDisplayableItem *item,
                                                        const TimedFrame &frame,
                                                        const DispatchResult &result)
{
    auto it = m_texts.find(item);
    if (it != m_texts.end())
        return *it;
    ItemText text;
    const quint32 pgn = result.payload.isEmpty() ? frame.message.pgn() : result.pgn;
    char fields[32];
    std::snprintf(fields, sizeof fields, ",%02X,%04X,", unsigned(frame.message.address()),
                  unsigned(pgn));
    text.prefix = QByteArray(fields) + ParameterLog::csvField(item->name()) + ',';
    for (const ZxParameter *p : item->parameters()) {
        text.parameters.append(ParameterLog::csvField(p->key()) + ',');
        text.units.append(',' + ParameterLog::csvField(p->suffix().trimmed()) + '\n');
    }
    return *m_texts.insert(item, text);
}

bool EventRowWriter::take(const TimedFrame &frame, const DispatchResult &result)
{
    AbstractDisplayableItem *item = result.item;
    if (!result.status.testFlag(DispatchResult::Dispatched) || !item || !item->parentItem()
        || item->parameters().isEmpty())
        return false;
    const ItemText &text = textFor(item, frame, result);
    char time[32];
    // Time stamps may step back in a recording: the sign stands before the whole number.
    const qint64 us = frame.timeUs - m_startUs;
    const long long magnitude = us < 0 ? -us : us;
    const int timeLength = std::snprintf(time, sizeof time, "%s%lld.%06lld", us < 0 ? "-" : "",
                                         magnitude / 1000000, magnitude % 1000000);
    const QList<ZxParameter *> &parameters = item->parameters();
    for (int i = 0; i < parameters.size() && i < text.parameters.size(); ++i) {
        const ZxParameter *p = parameters.at(i);
        if (p->isHidden())
            continue;
        m_block.append(time, timeLength);
        m_block += text.prefix;
        m_block += text.parameters.at(i);
        appendField(m_block, item->parameterLogText(p));
        m_block += text.units.at(i);
        ++m_rows;
    }
    return m_block.size() >= BlockSize;
}

QByteArray EventRowWriter::takeBlock()
{
    QByteArray block = m_block;
    m_block.clear();
    m_block.reserve(BlockSize + 4096);
    return block;
}
