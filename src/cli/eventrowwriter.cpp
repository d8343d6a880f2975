#include "cli/eventrowwriter.h"

#include "app/parameterlog.h"
#include "model/abstractdisplayableitem.h"
#include "model/zxfloatparameter.h"
#include "model/zxintparameter.h"
#include "model/zxparameter.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <typeinfo>

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

// Plain numbers, most of the values, are written straight into the block as their parameter's
// toString() writes them, without a QString in between; only the exact classes qualify, since a
// subclass may print itself differently.
enum ValueKind : quint8 { ValueText, ValueFloat, ValueInt };

ValueKind valueKind(const ZxParameter *p)
{
    if (typeid(*p) == typeid(ZxFloatParameter))
        return ValueFloat;
    if (typeid(*p) == typeid(ZxIntParameter))
        return ValueInt;
    return ValueText;
}

// False when the value needs its parameter's own text (not a number, or out of range).
bool appendNumber(QByteArray &out, const ZxParameter *p, ValueKind kind)
{
    char text[64];
    std::to_chars_result r{};
    if (kind == ValueFloat) {
        const float v = static_cast<const ZxFloatParameter *>(p)->value();
        if (std::isnan(v))
            return false;
        r = std::to_chars(text, text + sizeof text, v, std::chars_format::fixed);
    } else if (kind == ValueInt) {
        r = std::to_chars(text, text + sizeof text,
                          static_cast<const ZxIntParameter *>(p)->value());
    } else {
        return false;
    }
    if (r.ec != std::errc())
        return false;
    out.append(text, int(r.ptr - text));
    return true;
}

// Seconds with six decimals; the sign stands before the whole number (time stamps may step
// back in a recording).
int formatTime(char *out, int size, qint64 us)
{
    char *p = out;
    const quint64 magnitude = us < 0 ? 0 - quint64(us) : quint64(us);
    if (us < 0)
        *p++ = '-';
    p = std::to_chars(p, out + size - 8, magnitude / 1000000).ptr;
    *p++ = '.';
    quint64 fraction = magnitude % 1000000;
    for (int i = 5; i >= 0; --i, fraction /= 10)
        p[i] = char('0' + fraction % 10);
    return int(p + 6 - out);
}

} // namespace

EventRowWriter::EventRowWriter(qint64 startUs, const QString &bus)
    : m_startUs(startUs)
    , m_busField(bus.isEmpty() ? QByteArray() : ',' + ParameterLog::csvField(bus))
{
    m_block.reserve(BlockSize + 4096);
}

QByteArray EventRowWriter::headerLine(bool withBus)
{
    return withBus ? QByteArrayLiteral("Time,Bus,Address,PGN,Function,Parameter,Value,Unit\n")
                   : QByteArrayLiteral("Time,Address,PGN,Function,Parameter,Value,Unit\n");
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
    text.prefix = m_busField + QByteArray(fields) + ParameterLog::csvField(item->name()) + ',';
    for (const ZxParameter *p : item->parameters()) {
        text.parameters.append(ParameterLog::csvField(p->key()) + ',');
        text.units.append(',' + ParameterLog::csvField(p->suffix().trimmed()) + '\n');
        text.kinds.append(valueKind(p));
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
    const int timeLength = formatTime(time, sizeof time, frame.timeUs - m_startUs);
    // As the item's parameterLogText(): nothing before the first frame or for an invalid value.
    const bool awaits = item->awaitsData();
    const QList<ZxParameter *> &parameters = item->parameters();
    for (int i = 0; i < parameters.size() && i < text.parameters.size(); ++i) {
        const ZxParameter *p = parameters.at(i);
        if (p->isHidden())
            continue;
        m_block.append(time, timeLength);
        m_block += text.prefix;
        m_block += text.parameters.at(i);
        if (!awaits && p->isValid() && !appendNumber(m_block, p, ValueKind(text.kinds.at(i))))
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
