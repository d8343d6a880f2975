#include "scheme/schemecontroller.h"

#include "descriptions/candevicefactory.h"
#include "model/abstractcanmessagedispatcher.h"
#include "model/abstractdisplayableitem.h"
#include "model/candevice.h"
#include "model/devicedispatcher.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemetreemodel.h"
#include "ui/mainwindow.h"
#include "ui/savefile.h"

#include <QDebug>
#include <QDockWidget>
#include <QDomDocument>
#include <QFile>
#include <QMessageBox>
#include <QTextStream>

namespace {

const QString DetailsSuffix = QStringLiteral("DetailsDockWidget");

DeviceDispatcher *dispatcher()
{
    return dynamic_cast<DeviceDispatcher *>(AbstractCanMessageDispatcher::instance());
}

} // namespace

SchemeController::SchemeController(SchemeTreeModel *model, MainWindow *mainWindow,
                                   QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_mainWindow(mainWindow)
{
    m_retryPrompt = [mainWindow](const QString &errorText) {
        return QMessageBox::critical(mainWindow, tr("Error"), errorText,
                                     QMessageBox::Retry | QMessageBox::Cancel)
               == QMessageBox::Retry;
    };
}

QDomDocument SchemeController::toDocument() const
{
    QDomDocument doc;
    QDomElement root = doc.createElement(QStringLiteral("devices"));
    doc.appendChild(root);
    for (AbstractSchemeTreeItem *node : m_model->topLevelItems()) {
        AbstractDisplayableItem *item = node->displayable();
        if (!item)
            continue;
        QDomElement element = doc.createElement(QStringLiteral("noname"));
        root.appendChild(element);
        item->saveItemToXmlNode(element);
    }
    QDomElement widgets = doc.createElement(QStringLiteral("widgets"));
    root.appendChild(widgets);
    if (m_mainWindow) {
        const auto docks = m_mainWindow->findChildren<QDockWidget *>();
        for (const QDockWidget *dock : docks) {
            const QString name = dock->objectName();
            if (!name.endsWith(DetailsSuffix))
                continue;
            QDomElement widget = doc.createElement(QStringLiteral("widget"));
            widget.setAttribute(QStringLiteral("path"), name.left(name.size() - DetailsSuffix.size()));
            widgets.appendChild(widget);
        }
        widgets.setAttribute(QStringLiteral("state"),
                             QString::fromLatin1(
                                 m_mainWindow->saveState(WindowStateVersion).toBase64()));
    }
    return doc;
}

bool SchemeController::serialize(const QString &path)
{
    const QByteArray text = toDocument().toByteArray(2);
    for (;;) {
        // Written beside the old file and renamed over it: a failed save keeps the old scheme.
        QString error;
        if (SaveFile::write(path, text, &error))
            return true;
        if (!m_retryPrompt || !m_retryPrompt(error))
            return false;
    }
}

void SchemeController::clearScheme()
{
    // The nodes go first: they read their items, which the dispatcher deletes.
    m_model->clear();
    if (DeviceDispatcher *d = dispatcher())
        d->clearScheme();
}

void SchemeController::addDevice(AbstractDisplayableItem *device)
{
    if (DeviceDispatcher *d = dispatcher())
        d->registerDisplayable(device);
    const QModelIndex index = m_model->addItem(device->treeItem());
    emit itemAdded(index);
}

bool SchemeController::loadDevice(QDomElement &element, const QString &path)
{
    CanDeviceFactory *factory = CanDeviceFactory::instance();
    AbstractDisplayableItem *device = nullptr;
    if (factory && element.attribute(QStringLiteral("internal")) != QLatin1String("true")) {
        device = factory->createDeviceFromDescription(element);
    } else if (factory) {
        const ItemAddress address = CanDeviceFactory::deviceNodeItemAddress(element);
        device = factory->createDeviceFromKey(element.attribute(QStringLiteral("key")).toLatin1(),
                                              address);
        if (device) {
            const QDomElement name = element.firstChildElement(QStringLiteral("name"));
            if (!name.isNull())
                device->setName(name.text());
            if (auto *canDevice = qobject_cast<CanDevice *>(device))
                canDevice->applyXmlData(element);
        }
    }
    if (!device) {
        m_lastError = tr("Unable to create device from %1 line of %2 file")
                          .arg(element.lineNumber())
                          .arg(path);
        qWarning("%s", qUtf8Printable(m_lastError));
        return false;
    }
    device->restoreParameterValues(element);
    device->setState(element.attribute(QStringLiteral("state")).toInt());
    addDevice(device);
    return true;
}

bool SchemeController::deserialize(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_lastError = file.errorString();
        return false;
    }
    return load(file.readAll(), path);
}

bool SchemeController::load(const QByteArray &content, const QString &path)
{
    QDomDocument doc;
    doc.setContent(content); // not XML: an empty document, so an empty scheme
    clearScheme();
    const QDomElement root = doc.documentElement();
    for (QDomElement device = root.firstChildElement(QStringLiteral("device")); !device.isNull();
         device = device.nextSiblingElement(QStringLiteral("device"))) {
        if (!loadDevice(device, path))
            return false;
    }
    const QDomElement widgets = root.firstChildElement(QStringLiteral("widgets"));
    if (m_mainWindow) {
        for (QDomElement w = widgets.firstChildElement(QStringLiteral("widget")); !w.isNull();
             w = w.nextSiblingElement(QStringLiteral("widget")))
            m_mainWindow->getDetailsWidgetForPath(w.attribute(QStringLiteral("path")));
        const QByteArray state
            = QByteArray::fromBase64(widgets.attribute(QStringLiteral("state")).toLatin1());
        if (!state.isEmpty())
            m_mainWindow->restoreState(state, WindowStateVersion);
    }
    emit schemeUpdated();
    QDomElement tab = root.firstChildElement(QStringLiteral("tab"));
    if (!tab.isNull() && m_mainWindow) {
        for (QDockWidget *dock : m_mainWindow->findChildren<QDockWidget *>())
            dock->hide();
        for (; !tab.isNull(); tab = tab.nextSiblingElement(QStringLiteral("tab")))
            m_mainWindow->addTab(tab);
    }
    m_lastError.clear();
    return true;
}
