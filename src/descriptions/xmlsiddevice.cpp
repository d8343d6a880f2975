#include "descriptions/xmlsiddevice.h"

#include "descriptions/itemscript.h"

#include <QDebug>
#include <QDomDocument>

XmlSidDevice::XmlSidDevice(const QString &xml)
    : SidDevice(0)
{
    qDebug("Creating XML SidDevice from desc:%s", qUtf8Printable(xml));
    QDomDocument doc;
    doc.setContent(xml);
    init(doc.firstChildElement(QStringLiteral("device")));
}

XmlSidDevice::XmlSidDevice(const QDomElement &element)
    : SidDevice(0)
{
    init(element);
}

void XmlSidDevice::init(const QDomElement &element)
{
    if (element.isNull())
        return;
    const QByteArray key = element.attribute(QStringLiteral("key")).toLatin1();
    setKey(key);
    setObjectName(QStringLiteral("XmlSidDevice") + QString::fromLatin1(key));
    bool ok = false;
    const uint sid = element.attribute(QStringLiteral("address")).toUInt(&ok, 16);
    if (ok)
        setAddress({ItemAddress::Sid, sid});
    applyXmlAttributes(element);
    setName(element.firstChildElement(QStringLiteral("name")).text());
    initParametersFromDescription(element);
    const QDomElement script = element.firstChildElement(QStringLiteral("script"));
    if (!script.isNull())
        new ItemScript(this, script.text());
}

bool XmlSidDevice::applyXmlData(QDomElement &element)
{
    init(element);
    return true;
}

void XmlSidDevice::transmitState()
{
    xmlTransmitState();
}

bool XmlSidDevice::dispatchMessageImpl(const CanMessage &message, DispatchResult *result)
{
    result->item = this;
    return xmlDispatchMessageImpl(message, result);
}
