#include "scheme/xmlschemetreeitem.h"

#include "descriptions/xmlstaticpgnj1939devicefunction.h"

#include <QDomDocument>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>

namespace {
constexpr int MaxGridColumns = 64;
}

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
    QWidget *widget = build(doc.documentElement());
    return widget ? widget : createDefaultWidget();
}

QWidget *XmlSchemeTreeItem::build(const QDomElement &element)
{
    const QString tag = element.tagName();
    QWidget *widget = nullptr;
    if (tag == QLatin1String("widget")) {
        widget = new QWidget;
    } else if (tag == QLatin1String("group")) {
        widget = new QGroupBox(element.firstChildElement(QStringLiteral("title")).text());
    } else if (tag == QLatin1String("label")) {
        // The label's text is its own text nodes, not that of nested layout elements.
        QString text;
        for (QDomNode n = element.firstChild(); !n.isNull(); n = n.nextSibling()) {
            if (n.isText())
                text += n.nodeValue();
        }
        widget = new QLabel(text.trimmed());
    } else if (tag == QLatin1String("parameter")) {
        bool ok = false;
        const int id = element.attribute(QStringLiteral("id")).toInt(&ok);
        return ok ? createParameterWidget(id) : nullptr;
    } else {
        return nullptr;
    }
    applyLayout(widget, element);
    return widget;
}

void XmlSchemeTreeItem::applyLayout(QWidget *widget, const QDomElement &element)
{
    const QString kind = element.attribute(QStringLiteral("layout"));
    if (kind == QLatin1String("grid")) {
        auto *grid = new QGridLayout(widget);
        int row = 0;
        for (QDomElement r = element.firstChildElement(QStringLiteral("row")); !r.isNull();
             r = r.nextSiblingElement(QStringLiteral("row")), ++row) {
            int column = 0;
            for (QDomElement c = r.firstChildElement(); !c.isNull(); c = c.nextSiblingElement()) {
                int span = 1;
                if (c.hasAttribute(QStringLiteral("span")))
                    span = std::max(1, c.attribute(QStringLiteral("span")).toInt());
                // A grid sizes itself by its highest column: keep hostile spans bounded.
                span = std::min(span, MaxGridColumns);
                if (column + span > MaxGridColumns)
                    break;
                if (QWidget *child = build(c))
                    grid->addWidget(child, row, column, 1, span);
                column += span;
            }
        }
    } else if (kind == QLatin1String("vbox") || kind == QLatin1String("hbox")) {
        QBoxLayout *box = kind == QLatin1String("vbox") ? static_cast<QBoxLayout *>(new QVBoxLayout(widget))
                                                        : new QHBoxLayout(widget);
        for (QDomElement c = element.firstChildElement(); !c.isNull(); c = c.nextSiblingElement()) {
            if (QWidget *child = build(c))
                box->addWidget(child);
        }
    } else if (kind == QLatin1String("form")) {
        new QFormLayout(widget);
    }
}
