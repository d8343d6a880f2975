#include "descriptions/xmlj1939device.h"

#include <QDebug>
#include <QDomDocument>

XmlJ1939Device::XmlJ1939Device(const QString &xml)
    : J1939Device(0xFE)
{
    qDebug("XML Desc: %s", qUtf8Printable(xml));
    QDomDocument doc;
    doc.setContent(xml);
    QDomElement device = doc.firstChildElement(QStringLiteral("device"));
    if (!device.isNull())
        applyXmlData(device);
}

void XmlJ1939Device::saveItemToXmlNodeImpl(QDomElement &element)
{
    J1939Device::saveItemToXmlNodeImpl(element);
    element.setAttribute(QStringLiteral("internal"), QStringLiteral("false"));
}
