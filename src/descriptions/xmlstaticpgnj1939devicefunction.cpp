#include "descriptions/xmlstaticpgnj1939devicefunction.h"

#include "descriptions/itemscript.h"
#include "model/descriptiontext.h"
#include "model/j1939device.h"
#include "model/zxparameter.h"
#include "scheme/xmlschemetreeitem.h"

#include <QDebug>
#include <QDomDocument>
#include <QHash>
#include <QTextStream>

QString elementToXml(const QDomElement &element)
{
    QString text;
    QTextStream stream(&text);
    element.save(stream, 2);
    return text;
}

namespace {

// A description as parsed, and as written back. Every unit auto-detection finds makes its
// functions from the same few descriptions: each is parsed once per thread.
struct ParsedDescription
{
    QDomElement func;
    QString xml;
};

const ParsedDescription &parsedDescription(const QString &xml)
{
    constexpr int CacheLimit = 1000;
    thread_local QHash<QString, ParsedDescription> cache;
    auto it = cache.find(xml);
    if (it == cache.end()) {
        if (cache.size() >= CacheLimit)
            cache.clear();
        QDomDocument doc;
        doc.setContent(xml);
        const QDomElement func = doc.firstChildElement(QStringLiteral("func"));
        it = cache.insert(xml, {func, func.isNull() ? QString() : elementToXml(func)});
    }
    return *it;
}

} // namespace

XmlStaticPgnJ1939DeviceFunction::XmlStaticPgnJ1939DeviceFunction(const QString &xml,
                                                                 J1939Device *device)
    : StaticPgnJ1939DeviceFunction(0xFF, 0xFF, device)
{
    const ParsedDescription &parsed = parsedDescription(xml);
    init(parsed.func, parsed.xml);
}

XmlStaticPgnJ1939DeviceFunction::XmlStaticPgnJ1939DeviceFunction(const QDomElement &func)
    : StaticPgnJ1939DeviceFunction(0xFF, 0xFF, nullptr)
{
    init(func, func.isNull() ? QString() : elementToXml(func));
}

XmlStaticPgnJ1939DeviceFunction::~XmlStaticPgnJ1939DeviceFunction() = default;

void XmlStaticPgnJ1939DeviceFunction::init(const QDomElement &func, const QString &xml)
{
    if (func.isNull())
        return;
    const QByteArray key = func.attribute(QStringLiteral("key")).toLatin1();
    setKey(key);
    setObjectName(QStringLiteral("XmlFunction") + QString::fromLatin1(key));
    bool ok = false;
    const uint pgn = func.attribute(QStringLiteral("address")).toUInt(&ok, 16);
    if (ok)
        setPgn(quint8(pgn >> 8), quint8(pgn));
    applyXmlAttributes(func);
    const uint priority = func.attribute(QStringLiteral("priority")).toUInt(&ok, 10);
    setDefaultPriority(ok ? quint8(priority) : quint8(3));
    setName(func.firstChildElement(QStringLiteral("name")).text());
    initParametersFromDescription(func);
    const QDomElement widget = func.firstChildElement(QStringLiteral("widget"));
    if (!widget.isNull())
        m_widgetXml = elementToXml(widget);
    const QDomElement text = func.firstChildElement(QStringLiteral("text"));
    if (!text.isNull()) {
        // Decoded on the bus thread for every frame: translated once here. The description
        // kept for saving stays as written.
        m_textFormat = DescriptionText::translated(text.attribute(QStringLiteral("format")));
        for (QDomElement e = text.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
            QVector<int> group;
            if (e.tagName() == QLatin1String("group")) {
                for (QDomElement p = e.firstChildElement(); !p.isNull(); p = p.nextSiblingElement())
                    group << p.text().trimmed().toInt();
            } else if (e.tagName() == QLatin1String("param")) {
                group << e.text().trimmed().toInt();
            }
            m_textGroups << group;
        }
    }
    const QDomElement script = func.firstChildElement(QStringLiteral("script"));
    if (!script.isNull())
        m_script = new ItemScript(this, script.text());
    m_descriptionXml = xml;
}

void XmlStaticPgnJ1939DeviceFunction::transmitState()
{
    xmlTransmitState();
}

bool XmlStaticPgnJ1939DeviceFunction::dispatchMessageImpl(const CanMessage &message,
                                                          DispatchResult *result)
{
    result->item = this;
    return xmlDispatchMessageImpl(message, result);
}

QString XmlStaticPgnJ1939DeviceFunction::textDataImpl() const
{
    if (m_textFormat.isEmpty())
        return StaticPgnJ1939DeviceFunction::textDataImpl();
    QString text = m_textFormat;
    const auto &list = parameters();
    for (const QVector<int> &group : m_textGroups) {
        QString joined;
        for (int index : group) {
            // Indexes outside the parameter list show nothing.
            if (index >= 0 && index < list.size())
                joined += list.at(index)->toString();
        }
        text = text.arg(joined);
    }
    return text;
}

void XmlStaticPgnJ1939DeviceFunction::saveItemToXmlNodeImpl(QDomElement &element)
{
    element.setTagName(schemeTag());
    QDomDocument description;
    if (!description.setContent(m_descriptionXml))
        return;
    const QDomElement root = description.documentElement();
    const QDomNamedNodeMap attributes = root.attributes();
    // State, period and filter mark are the engineer's settings, already written from the item;
    // the description (or an earlier save it came from) must not overwrite them. Only a period
    // that makes the function spontaneous, which no interval expresses, stays the description's.
    const bool spontaneous = (deviceType() & (Continuous | Commit)) == 0;
    for (int i = 0; i < attributes.count(); ++i) {
        const QDomAttr a = attributes.item(i).toAttr();
        const QString name = a.name();
        if (name == QLatin1String("state") || name == QLatin1String("filtered")
            || (name == QLatin1String("period") && !spontaneous))
            continue;
        element.setAttribute(name, a.value());
    }
    QDomDocument owner = element.ownerDocument();
    for (QDomNode n = root.firstChild(); !n.isNull(); n = n.nextSibling()) {
        // The item's own name is already the element's first child.
        if (n.isElement() && n.toElement().tagName() == QLatin1String("name"))
            continue;
        element.appendChild(owner.importNode(n, true));
    }
}

AbstractSchemeTreeItem *XmlStaticPgnJ1939DeviceFunction::createTreeItem()
{
    return new XmlSchemeTreeItem(this, m_widgetXml);
}
