#include "cli/dbcwriter.h"

#include "descriptions/descriptionfiles.h"
#include "descriptions/xmlstaticpgnj1939devicefunction.h"
#include "model/parameterbinding.h"
#include "model/zxlistparameter.h"
#include "model/zxparameter.h"

#include <QRegularExpression>
#include <QSet>

#include <cmath>

namespace {

constexpr quint32 ExtendedFlag = 0x80000000u;
constexpr int DefaultPriority = 6;

// DBC numbers the bits of a big-endian signal from its most significant bit, in the sawtooth
// order of the bytes; the binding places its least significant bit at the end of its bytes.
int dbcStartBit(const ParameterBinding &b)
{
    if (!b.bigEndian)
        return int(b.startByte) * 8 + b.startBit;
    const int msbByte = int(b.startByte) + b.byteCount() - 1 - (b.bitLength - 1) / 8;
    return msbByte * 8 + (b.bitLength - 1) % 8;
}

QByteArray number(double value)
{
    // Enough digits for the decimal the description wrote, none of float's noise.
    QByteArray text = QByteArray::number(value, 'g', 12);
    return text;
}

// DBC files are read as Windows-1252 by the usual tools: texts go in Latin-1.
QByteArray quoted(const QString &text)
{
    QString t = text;
    t.replace(QLatin1Char('"'), QLatin1Char('\''));
    return '"' + t.toLatin1() + '"';
}

struct SignalText
{
    QByteArray definition;
    QByteArray comment;
    QByteArray values;
    QByteArray spn;
};

SignalText signalText(quint32 messageId, const QByteArray &name, const ZxParameter *p,
                      const ParameterBinding &b)
{
    SignalText s;
    const double factor = b.scale();
    const double offset = -b.offset();
    double minimum = offset;
    double maximum = double(b.maxValidRaw()) * factor + offset;
    if (minimum > maximum)
        std::swap(minimum, maximum);
    s.definition = " SG_ " + name + " : " + QByteArray::number(dbcStartBit(b)) + '|'
                   + QByteArray::number(b.bitLength) + '@' + (b.bigEndian ? '0' : '1') + "+ ("
                   + number(factor) + ',' + number(offset) + ") [" + number(minimum) + '|'
                   + number(maximum) + "] " + quoted(p->suffix().trimmed()) + " Vector__XXX\n";
    const QByteArray id = QByteArray::number(messageId);
    if (!p->description().isEmpty())
        s.comment = "CM_ SG_ " + id + ' ' + name + ' ' + quoted(p->description()) + ";\n";
    if (p->type() == ZxParameter::List) {
        const QStringList items = static_cast<const ZxListParameter *>(p)->items();
        if (!items.isEmpty()) {
            s.values = "VAL_ " + id + ' ' + name;
            for (int i = 0; i < items.size(); ++i)
                s.values += ' ' + QByteArray::number(i) + ' ' + quoted(items.at(i));
            s.values += " ;\n";
        }
    }
    static const QRegularExpression spnId(QStringLiteral("^SPN(\\d+)$"));
    const QRegularExpressionMatch m = spnId.match(p->id());
    if (m.hasMatch())
        s.spn = "BA_ \"SPN\" SG_ " + id + ' ' + name + ' ' + m.captured(1).toLatin1() + ";\n";
    return s;
}

} // namespace

QList<QDomElement> DbcWriter::libraryFunctions()
{
    QList<QDomElement> functions;
    for (const QString &path : DescriptionFiles::functionLibraryFiles())
        functions += DescriptionFiles::readFunctionLibrary(path);
    return functions;
}

QByteArray DbcWriter::identifier(const QString &text)
{
    QByteArray out;
    bool upper = true;
    for (const QChar c : text) {
        const char l = c.toLatin1();
        const bool word
            = (l >= 'a' && l <= 'z') || (l >= 'A' && l <= 'Z') || (l >= '0' && l <= '9');
        if (!word) {
            upper = true;
            continue;
        }
        out += upper ? char(QChar::fromLatin1(l).toUpper().toLatin1()) : l;
        upper = false;
    }
    if (out.isEmpty() || (out.at(0) >= '0' && out.at(0) <= '9'))
        out.prepend('_');
    return out;
}

quint32 DbcWriter::canId(quint32 pgn, int priority)
{
    quint32 id = quint32(priority & 7) << 26 | (pgn & 0x3FFFF) << 8 | SourceAddress;
    // PDU1 groups carry the destination in PS: global.
    if (((pgn >> 8) & 0xFF) < 0xF0)
        id |= 0xFFu << 8;
    return id;
}

QByteArray DbcWriter::write(const QList<QDomElement> &functions)
{
    QByteArray messages;
    QByteArray comments;
    QByteArray attributes;
    QByteArray values;
    QSet<QByteArray> messageNames;
    for (const QDomElement &func : functions) {
        bool ok = false;
        const quint32 pgn = func.attribute(QStringLiteral("address")).toUInt(&ok, 16);
        if (!ok)
            continue;
        int priority = func.attribute(QStringLiteral("priority")).toInt(&ok);
        if (!ok)
            priority = DefaultPriority;
        XmlStaticPgnJ1939DeviceFunction function(func);
        const QString title = func.firstChildElement(QStringLiteral("name")).text();
        QByteArray name = identifier(func.attribute(QStringLiteral("key")).toUpper());
        for (int n = 2; messageNames.contains(name); ++n)
            name = identifier(func.attribute(QStringLiteral("key")).toUpper()) + '_'
                   + QByteArray::number(n);
        messageNames.insert(name);
        const quint32 id = canId(pgn, priority) | ExtendedFlag;
        const QByteArray idText = QByteArray::number(id);
        messages += "BO_ " + idText + ' ' + name + ": 8 Vector__XXX\n";
        QSet<QByteArray> signalNames;
        for (const ZxParameter *p : function.parameters()) {
            const ParameterBinding *b = function.binding(p);
            if (!b || !b->fits() || b->bitLength <= 0)
                continue;
            QByteArray signal = identifier(p->name());
            for (int n = 2; signalNames.contains(signal); ++n)
                signal = identifier(p->name()) + '_' + QByteArray::number(n);
            signalNames.insert(signal);
            const SignalText s = signalText(id, signal, p, *b);
            messages += s.definition;
            comments += s.comment;
            values += s.values;
            attributes += s.spn;
        }
        messages += '\n';
        comments += "CM_ BO_ " + idText + ' ' + quoted(title) + ";\n";
        attributes += "BA_ \"VFrameFormat\" BO_ " + idText + " 3;\n";
        const int period = func.attribute(QStringLiteral("period")).toInt(&ok);
        if (ok && period > 0)
            attributes += "BA_ \"GenMsgCycleTime\" BO_ " + idText + ' ' + QByteArray::number(period)
                          + ";\n";
    }
    QByteArray dbc = "VERSION \"\"\n\n\nNS_ :\n    CM_\n    BA_DEF_\n    BA_\n    VAL_\n"
                     "    BA_DEF_DEF_\n\nBS_:\n\nBU_:\n\n\n";
    dbc += messages;
    dbc += '\n';
    dbc += comments;
    dbc += "BA_DEF_  \"ProtocolType\" STRING ;\n"
           "BA_DEF_ BO_  \"VFrameFormat\" ENUM  \"StandardCAN\",\"ExtendedCAN\",\"reserved\","
           "\"J1939PG\";\n"
           "BA_DEF_ BO_  \"GenMsgCycleTime\" INT 0 3600000;\n"
           "BA_DEF_ SG_  \"SPN\" INT 0 524287;\n"
           "BA_DEF_DEF_  \"ProtocolType\" \"\";\n"
           "BA_DEF_DEF_  \"VFrameFormat\" \"J1939PG\";\n"
           "BA_DEF_DEF_  \"GenMsgCycleTime\" 0;\n"
           "BA_DEF_DEF_  \"SPN\" 0;\n"
           "BA_ \"ProtocolType\" \"J1939\";\n";
    dbc += attributes;
    dbc += values;
    return dbc;
}
