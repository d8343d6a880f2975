#include "scheme/xmllayoutbuilder.h"

#include "model/descriptiontext.h"

#include <QDomElement>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>

XmlLayoutBuilder::XmlLayoutBuilder(CellBuilder cell)
    : m_cell(std::move(cell))
{}

QString XmlLayoutBuilder::labelText(const QDomElement &element)
{
    // A label's text is its own text nodes, not that of nested layout elements.
    QString text;
    for (QDomNode n = element.firstChild(); !n.isNull(); n = n.nextSibling()) {
        if (n.isText())
            text += n.nodeValue();
    }
    return text.trimmed();
}

QWidget *XmlLayoutBuilder::build(const QDomElement &element)
{
    return build(element, 0);
}

void XmlLayoutBuilder::applyLayout(QWidget *container, const QDomElement &element)
{
    applyLayout(container, element, 0);
}

QWidget *XmlLayoutBuilder::build(const QDomElement &element, int depth)
{
    if (depth >= MaxDepth) {
        ++m_refused;
        qWarning("Layout element %s nested deeper than %d levels is left out",
                 qUtf8Printable(element.tagName()), MaxDepth);
        return nullptr;
    }
    if (m_cell) {
        if (QWidget *cell = m_cell(element))
            return cell;
    }
    const QString tag = element.tagName();
    QWidget *widget = nullptr;
    if (tag == QLatin1String("widget"))
        widget = new QWidget;
    else if (tag == QLatin1String("group"))
        widget = new QGroupBox(DescriptionText::translated(
            element.firstChildElement(QStringLiteral("title")).text()));
    else if (tag == QLatin1String("label"))
        widget = new QLabel(DescriptionText::translated(labelText(element)));
    else
        return nullptr;
    applyLayout(widget, element, depth);
    return widget;
}

void XmlLayoutBuilder::applyLayout(QWidget *container, const QDomElement &element, int depth)
{
    const QString kind = element.attribute(QStringLiteral("layout"));
    if (kind == QLatin1String("grid")) {
        layoutGrid(container, element, depth);
    } else if (kind == QLatin1String("vbox") || kind == QLatin1String("hbox")) {
        QBoxLayout *box = kind == QLatin1String("vbox")
                              ? static_cast<QBoxLayout *>(new QVBoxLayout(container))
                              : new QHBoxLayout(container);
        for (QDomElement c = element.firstChildElement(); !c.isNull(); c = c.nextSiblingElement()) {
            if (QWidget *child = build(c, depth + 1))
                box->addWidget(child);
        }
    } else if (kind == QLatin1String("form")) {
        new QFormLayout(container);
    }
    bool ok = false;
    const int margin = element.attribute(QStringLiteral("margin")).toInt(&ok);
    if (m_margins && ok && container->layout()) {
        const int m = std::clamp(margin, 0, MaxMargin);
        container->layout()->setContentsMargins(m, m, m, m);
    }
}

void XmlLayoutBuilder::layoutGrid(QWidget *container, const QDomElement &element, int depth)
{
    auto *grid = new QGridLayout(container);
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
            // An element that builds nothing still takes its cells.
            if (QWidget *child = build(c, depth + 1))
                grid->addWidget(child, row, column, 1, span);
            column += span;
        }
    }
}
