#pragma once

#include "scheme/abstractschemetreeitem.h"

class QDomElement;
class XmlStaticPgnJ1939DeviceFunction;

// The tree node of a described function: its editor follows the description's <widget> layout
// (widget, group, label and parameter elements in grid, vbox, hbox or form layouts).
class XmlSchemeTreeItem : public AbstractSchemeTreeItem
{
    Q_OBJECT

public:
    XmlSchemeTreeItem(XmlStaticPgnJ1939DeviceFunction *function, const QString &widgetXml);

    QWidget *createWidget() override;
    using AbstractSchemeTreeItem::createWidget;
    QString widgetXml() const { return m_widgetXml; }

private:
    QString m_widgetXml;
};
