#include "scheme/xmlschemetreeitem.h"

#include "descriptions/xmlstaticpgnj1939devicefunction.h"
#include "scheme/xmllayoutbuilder.h"

#include <QDomDocument>

XmlSchemeTreeItem::XmlSchemeTreeItem(XmlStaticPgnJ1939DeviceFunction *function,
                                     const QString &widgetXml)
    : AbstractSchemeTreeItem(function)
    , m_widgetXml(widgetXml)
{}

QWidget *XmlSchemeTreeItem::createWidget()
{
    QDomDocument doc;
    if (m_widgetXml.isEmpty() || !doc.setContent(m_widgetXml))
        return createDefaultWidget();
    // The editor is one widget tracked as a whole: its parameter cells go with it.
    XmlLayoutBuilder builder([this](const QDomElement &element) -> QWidget * {
        if (element.tagName() != QLatin1String("parameter"))
            return nullptr;
        bool ok = false;
        const int id = element.attribute(QStringLiteral("id")).toInt(&ok);
        return ok ? createParameterWidget(id) : nullptr;
    });
    QWidget *widget = builder.build(doc.documentElement());
    return widget ? widget : createDefaultWidget();
}
