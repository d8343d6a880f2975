#include "scheme/editors/multixmlitemwidget.h"

#include "scheme/abstractschemetreeitem.h"
#include "scheme/editors/devicestatewidget.h"
#include "scheme/schemetreemodel.h"
#include "scheme/xmllayoutbuilder.h"

#include <QDockWidget>
#include <QDomElement>

MultiXmlItemWidget::MultiXmlItemWidget(const QDomElement &element, SchemeTreeModel *model,
                                       QWidget *parent)
    : QWidget(parent)
    , m_model(model)
{
    createWidgetFromDom(element, this);
}

QWidget *MultiXmlItemWidget::createWidgetFromDom(const QDomElement &element, QWidget *container)
{
    XmlLayoutBuilder builder([this](const QDomElement &e) { return createCell(e); });
    builder.setMarginsEnabled(true);
    if (!container)
        return builder.build(element);
    qDebug("Processing tag %s", qUtf8Printable(element.tagName()));
    // A panel placed in a dock stays where the file put it.
    if (auto *dock = qobject_cast<QDockWidget *>(container))
        dock->setFeatures(QDockWidget::NoDockWidgetFeatures);
    builder.applyLayout(container, element);
    return container;
}

QWidget *MultiXmlItemWidget::createCell(const QDomElement &element)
{
    const QString tag = element.tagName();
    qDebug("Processing tag %s", qUtf8Printable(tag));
    const QString path = element.attribute(QStringLiteral("path"));
    bool ok = false;
    if (tag == QLatin1String("pgnwidget")) {
        const int view = element.attribute(QStringLiteral("view")).toInt(&ok);
        return createPgnWidget(path, ok && view > 0 ? unsigned(view) : 0u);
    }
    if (tag == QLatin1String("parameter")) {
        const int id = element.attribute(QStringLiteral("id")).toInt(&ok);
        return createParameterWidget(path, ok ? id : 0);
    }
    if (tag == QLatin1String("dstate"))
        return createDeviceStateWidget(path);
    return nullptr;
}

QWidget *MultiXmlItemWidget::createPgnWidget(const QString &path, unsigned int view)
{
    AbstractSchemeTreeItem *node = m_model ? m_model->getItemForPath(path) : nullptr;
    QWidget *widget = node ? node->getNewWidget(view) : nullptr;
    m_builtCells += widget ? 1 : 0;
    return widget;
}

QWidget *MultiXmlItemWidget::createParameterWidget(const QString &path, int id)
{
    AbstractSchemeTreeItem *node = m_model ? m_model->getItemForPath(path) : nullptr;
    QWidget *widget = node ? node->getNewParameterWidget(id) : nullptr;
    m_builtCells += widget ? 1 : 0;
    return widget;
}

QWidget *MultiXmlItemWidget::createDeviceStateWidget(const QString &path)
{
    AbstractSchemeTreeItem *node = m_model ? m_model->getItemForPath(path) : nullptr;
    if (!node)
        return nullptr;
    auto *lamp = new DeviceStateWidget(node);
    // A device's state is derived from its functions and changes without a signal.
    connect(m_model, &SchemeTreeModel::refreshed, lamp, &DeviceStateWidget::slotRefresh);
    ++m_builtCells;
    return lamp;
}
