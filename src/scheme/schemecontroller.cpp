#include "scheme/schemecontroller.h"

#include "can/busnames.h"
#include "descriptions/candevicefactory.h"
#include "model/abstractdisplayableitem.h"
#include "model/candevice.h"
#include "model/devicedispatcher.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemebusnode.h"
#include "scheme/schemedatabases.h"
#include "scheme/schemetreemodel.h"
#include "scheme/schemewindow.h"
#include "util/savefile.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDomDocument>
#include <QFile>
#include <QSet>
#include <QTextStream>

#include <algorithm>

namespace {

const QString BusAttribute = QStringLiteral("bus");

// The bus a unit's element names, -1 for none (or one that is no bus number).
int busNumberOf(const QDomElement &device)
{
    bool ok = false;
    const uint bus = device.attribute(BusAttribute).toUInt(&ok);
    return ok && bus <= uint(BusNames::MaxBus) ? int(bus) : -1;
}

bool isInternal(const QDomElement &element)
{
    return element.attribute(QStringLiteral("internal")) == QLatin1String("true");
}

// Files of the first form wrote each item's measured message period where a period belongs;
// only descriptions embedded in the file (functions not made by key) carry a real one.
void dropMeasuredPeriods(QDomElement element)
{
    const bool description = element.tagName() == QLatin1String("func") && !isInternal(element);
    if (!description)
        element.removeAttribute(QStringLiteral("period"));
    for (QDomElement child = element.firstChildElement(); !child.isNull();
         child = child.nextSiblingElement()) {
        if (child.tagName() == QLatin1String("device") || child.tagName() == QLatin1String("func"))
            dropMeasuredPeriods(child);
    }
}

} // namespace

SchemeController::SchemeController(SchemeTreeModel *model, SchemeWindow *window, QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_window(window)
{
    // Without a window nobody can be asked: a failed write is final.
    m_retryPrompt = [window](const QString &errorText) {
        return window && window->askRetry(tr("Error"), errorText);
    };
    m_tabs.appendChild(m_tabs.createElement(QStringLiteral("tabs")));
    m_otherBuses.appendChild(m_otherBuses.createElement(QStringLiteral("devices")));
}

SchemeController::~SchemeController() = default;

int SchemeController::takeOtherBuses(QDomElement root, QDomDocument *kept) const
{
    // One bus shows the file's lowest; several show those they have.
    int shown = -1;
    for (QDomElement e = root.firstChildElement(QStringLiteral("device"));
         m_buses.empty() && !e.isNull(); e = e.nextSiblingElement(QStringLiteral("device"))) {
        const int bus = busNumberOf(e);
        if (bus >= 0 && (shown < 0 || bus < shown))
            shown = bus;
    }
    kept->clear();
    QDomElement keptRoot = kept->createElement(QStringLiteral("devices"));
    kept->appendChild(keptRoot);
    for (QDomElement e = root.firstChildElement(QStringLiteral("device")); !e.isNull();) {
        const QDomElement next = e.nextSiblingElement(QStringLiteral("device"));
        const int bus = busNumberOf(e);
        const bool other
            = m_buses.empty() ? bus >= 0 && bus != shown : bus >= 0 && !busNumbered(bus);
        if (other) {
            keptRoot.appendChild(kept->importNode(e, true));
            root.removeChild(e);
        }
        e = next;
    }
    return shown;
}

DeviceDispatcher *SchemeController::busNumbered(int number) const
{
    for (const Bus &bus : m_buses) {
        if (bus.dispatcher && bus.dispatcher->busNumber() == number)
            return bus.dispatcher;
    }
    return nullptr;
}

DeviceDispatcher *SchemeController::busFor(const QDomElement &device) const
{
    const int number = busNumberOf(device);
    DeviceDispatcher *bus = number >= 0 ? busNumbered(number) : nullptr;
    return bus ? bus : m_dispatcher;
}

QList<DeviceDispatcher *> SchemeController::buses() const
{
    QList<DeviceDispatcher *> list;
    for (const Bus &bus : m_buses)
        list << bus.dispatcher;
    if (list.isEmpty() && m_dispatcher)
        list << m_dispatcher;
    return list;
}

DeviceDispatcher *SchemeController::busOf(const AbstractSchemeTreeItem *node) const
{
    while (node && node->parentNode())
        node = node->parentNode();
    if (node && node->isBus())
        return static_cast<const SchemeBusNode *>(node)->busItem()->bus();
    return m_dispatcher;
}

AbstractSchemeTreeItem *SchemeController::busNode(const DeviceDispatcher *bus) const
{
    for (const Bus &entry : m_buses) {
        if (entry.dispatcher == bus)
            return entry.item->treeItem();
    }
    return nullptr;
}

void SchemeController::setBusDescription(DeviceDispatcher *bus, const QString &text)
{
    m_busDescriptions.insert(bus, text);
    for (const Bus &entry : m_buses) {
        if (entry.dispatcher == bus)
            entry.item->setDescription(text);
    }
}

void SchemeController::showBusRows(bool on)
{
    // The units' rows move; the units stay on their buses.
    QList<AbstractSchemeTreeItem *> units;
    for (AbstractSchemeTreeItem *node : m_model->unitNodes())
        units << m_model->takeItem(m_model->index(node));
    for (AbstractSchemeTreeItem *node : m_model->topLevelItems())
        delete m_model->takeItem(m_model->index(node));
    if (on) {
        for (const Bus &bus : m_buses)
            m_model->addItem(bus.item->treeItem());
    }
    for (AbstractSchemeTreeItem *node : units) {
        AbstractDisplayableItem *unit = node->displayable();
        m_model->addItem(node, on ? busNode(unit ? unit->dispatcher() : nullptr) : nullptr);
    }
}

void SchemeController::addBus(DeviceDispatcher *dispatcher)
{
    if (!dispatcher || dispatcher == m_dispatcher || busNode(dispatcher))
        return;
    const bool first = m_buses.empty();
    auto entry = [this](DeviceDispatcher *d) {
        Bus bus;
        bus.dispatcher = d;
        bus.item = std::make_unique<SchemeBusItem>(d);
        bus.item->setDescription(m_busDescriptions.value(d));
        return bus;
    };
    if (first)
        m_buses.push_back(entry(m_dispatcher));
    m_buses.push_back(entry(dispatcher));
    if (first) {
        // The first bus's units showed the file's bus it chose: they are that bus's now.
        m_shownBus = -1;
        showBusRows(true);
    } else {
        m_model->addItem(m_buses.back().item->treeItem());
    }
    // The databases the file kept for this bus, before its units, which may use them.
    const int number = dispatcher->busNumber();
    SchemeDatabases::Read read
        = SchemeDatabases::read(m_otherDatabases.documentElement(), QString(), {number});
    if (CanDeviceFactory *catalogue = CanDeviceFactory::of(dispatcher);
        catalogue && read.byBus.contains(number)) {
        catalogue->setDbcDatabases(read.byBus.value(number));
        m_otherDatabases = read.kept;
        m_databaseProblems += read.problems;
    }
    // The units the file kept for this bus join it.
    QDomElement kept = m_otherBuses.documentElement();
    for (QDomElement e = kept.firstChildElement(QStringLiteral("device")); !e.isNull();) {
        const QDomElement next = e.nextSiblingElement(QStringLiteral("device"));
        if (busNumberOf(e) == dispatcher->busNumber()) {
            QDomElement device = e;
            if (loadDevice(device, tr("scheme")))
                kept.removeChild(e);
        }
        e = next;
    }
    emit schemeUpdated();
}

void SchemeController::removeBus(DeviceDispatcher *dispatcher)
{
    auto it = std::find_if(m_buses.begin(), m_buses.end(),
                           [dispatcher](const Bus &bus) { return bus.dispatcher == dispatcher; });
    if (it == m_buses.end() || it == m_buses.begin())
        return;
    // Its units stay in the file, as the units of a bus not shown.
    AbstractSchemeTreeItem *node = it->item->treeItem();
    QDomElement kept = m_otherBuses.documentElement();
    for (AbstractSchemeTreeItem *unit : node->childNodes()) {
        QDomElement element = m_otherBuses.createElement(QStringLiteral("noname"));
        kept.appendChild(element);
        unit->displayable()->saveItemToXmlNode(element);
        element.setAttribute(BusAttribute, dispatcher->busNumber());
    }
    // So are its databases.
    if (const CanDeviceFactory *catalogue = CanDeviceFactory::of(dispatcher)) {
        if (m_otherDatabases.isNull())
            m_otherDatabases.appendChild(m_otherDatabases.createElement(QStringLiteral("devices")));
        SchemeDatabases::write(m_otherDatabases.documentElement(),
                               {{catalogue, dispatcher->busNumber()}}, QString(), QDomDocument());
    }
    delete m_model->takeItem(m_model->index(node));
    m_buses.erase(it);
    m_busDescriptions.remove(dispatcher);
    if (m_buses.size() == 1) {
        showBusRows(false);
        m_buses.clear();
        const bool keeps = !kept.firstChildElement().isNull();
        m_shownBus = keeps && m_dispatcher ? m_dispatcher->busNumber() : -1;
    }
    emit schemeUpdated();
}

void SchemeController::setOtherBuses(int shownBus, const QDomDocument &kept)
{
    m_shownBus = shownBus;
    m_otherBuses = kept.cloneNode(true).toDocument();
}

QString SchemeController::loadNote() const
{
    const int kept
        = m_otherBuses.documentElement().elementsByTagName(QStringLiteral("device")).size();
    if (kept == 0)
        return QString();
    // Short enough for the status bar beside its permanent fields.
    if (m_shownBus < 0)
        return tr("Units of buses not in the window kept in the file: %1").arg(kept);
    return tr("Showing bus %1; units of other buses kept in the file: %2")
        .arg(BusNames::defaultName(quint8(m_shownBus)))
        .arg(kept);
}

int SchemeController::fileBusNumber(const DeviceDispatcher *bus) const
{
    // A lone bus shows the file's bus it chose, whose number its units keep.
    return m_buses.empty() && m_shownBus >= 0 ? m_shownBus : bus->busNumber();
}

void SchemeController::applyDatabases(const QDomElement &root, const QString &path)
{
    QList<int> numbers;
    for (const DeviceDispatcher *bus : buses())
        numbers << fileBusNumber(bus);
    SchemeDatabases::Read read = SchemeDatabases::read(root, path, numbers);
    for (DeviceDispatcher *bus : buses()) {
        if (CanDeviceFactory *catalogue = CanDeviceFactory::of(bus))
            catalogue->setDbcDatabases(read.byBus.value(fileBusNumber(bus)) + m_runDatabases);
    }
    m_otherDatabases = read.kept;
    m_schemePath = path;
    m_databaseProblems = read.problems;
}

QDomDocument SchemeController::toDocument(const QString &schemePath) const
{
    QDomDocument doc;
    QDomElement root = doc.createElement(QStringLiteral("devices"));
    root.setAttribute(QStringLiteral("version"), FormatVersion);
    doc.appendChild(root);
    for (AbstractSchemeTreeItem *node : m_model->unitNodes()) {
        AbstractDisplayableItem *item = node->displayable();
        if (!item)
            continue;
        QDomElement element = doc.createElement(QStringLiteral("noname"));
        root.appendChild(element);
        item->saveItemToXmlNode(element);
        const DeviceDispatcher *bus = busOf(node);
        if (!m_buses.empty() && bus)
            element.setAttribute(BusAttribute, bus->busNumber());
        else if (m_shownBus >= 0)
            element.setAttribute(BusAttribute, m_shownBus);
    }
    const QDomElement others = m_otherBuses.documentElement();
    for (QDomElement e = others.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        root.appendChild(doc.importNode(e, true));
    QList<SchemeDatabases::Bus> catalogues;
    for (const DeviceDispatcher *bus : buses())
        catalogues.append({CanDeviceFactory::of(bus), fileBusNumber(bus)});
    SchemeDatabases::write(root, catalogues, schemePath, m_otherDatabases, m_runDatabases);
    QDomElement widgets = doc.createElement(QStringLiteral("widgets"));
    root.appendChild(widgets);
    if (m_window) {
        for (const QString &path : m_window->detailsDockPaths()) {
            QDomElement widget = doc.createElement(QStringLiteral("widget"));
            widget.setAttribute(QStringLiteral("path"), path);
            widgets.appendChild(widget);
        }
        m_window->savePlots(widgets);
        widgets.setAttribute(
            QStringLiteral("state"),
            QString::fromLatin1(m_window->saveLayout(WindowStateVersion).toBase64()));
    }
    // The panels cannot be edited in the window: the file's own elements go back unchanged.
    const QDomElement tabs = m_tabs.documentElement();
    for (QDomElement tab = tabs.firstChildElement(); !tab.isNull(); tab = tab.nextSiblingElement())
        root.appendChild(doc.importNode(tab, true));
    return doc;
}

bool SchemeController::serialize(const QString &path)
{
    const QByteArray text = toDocument(path).toByteArray(2);
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
    // The panels show the nodes' editors: a new scheme starts without the old tabs.
    if (m_window) {
        m_window->removeSchemeTabs();
        m_window->closePlots();
    }
    QDomElement tabs = m_tabs.documentElement();
    while (!tabs.firstChild().isNull())
        tabs.removeChild(tabs.firstChild());
    QDomDocument none;
    none.appendChild(none.createElement(QStringLiteral("devices")));
    setOtherBuses(-1, none);
    // The buses keep their databases (the next recording of the machine needs them too); a file
    // opened brings its own.
    m_otherDatabases = QDomDocument();
    m_databaseProblems.clear();
    // The nodes go first: they read their items, which the dispatchers delete.
    m_model->clear();
    for (DeviceDispatcher *d : buses()) {
        d->clearScheme();
        // The devices died in the bus thread; the catalogue hears of it through queued calls.
        // They are taken now, so the catalogue no longer counts the cleared units as alive and
        // a scheme loaded next may use their keys and addresses.
        if (CanDeviceFactory *factory = CanDeviceFactory::of(d))
            QCoreApplication::sendPostedEvents(factory, QEvent::MetaCall);
    }
    // The buses stay.
    for (const Bus &bus : m_buses)
        m_model->addItem(bus.item->treeItem());
}

void SchemeController::addDevice(AbstractDisplayableItem *device, DeviceDispatcher *bus)
{
    if (!bus)
        bus = m_dispatcher;
    if (bus)
        bus->registerDisplayable(device);
    const QModelIndex index = m_model->addItem(device->treeItem(), busNode(bus));
    emit itemAdded(index);
}

void SchemeController::setDeviceError(const QDomElement &element, const QString &path)
{
    m_lastError
        = tr("Unable to create device from %1 line of %2 file").arg(element.lineNumber()).arg(path);
    qWarning("%s", qUtf8Printable(m_lastError));
}

bool SchemeController::checkDevices(const QDomElement &root, const QString &path)
{
    // What loadDevice will ask of the catalogue once the current scheme is gone: a kind for
    // every device, and no two units at one address (the catalogue refuses the second).
    QSet<QPair<quintptr, QPair<int, quint32>>> taken;
    for (QDomElement device = root.firstChildElement(QStringLiteral("device")); !device.isNull();
         device = device.nextSiblingElement(QStringLiteral("device"))) {
        const DeviceDispatcher *bus = busFor(device);
        const CanDeviceFactory *factory = CanDeviceFactory::of(bus);
        ItemAddress address = CanDeviceFactory::deviceNodeItemAddress(device);
        bool creatable = factory != nullptr;
        if (creatable && !isInternal(device)) {
            address.kind = ItemAddress::J1939;
            creatable = CanDeviceFactory::deviceTypeMetaObject(
                            device.attribute(QStringLiteral("type"), QStringLiteral("j1939")))
                        != nullptr;
        } else if (creatable) {
            const QByteArray key = device.attribute(QStringLiteral("key")).toLatin1();
            const AbstractDeviceFactory::Entry entry = factory->getEntry(key);
            creatable = (entry && (entry->create || entry->metaObject))
                        || !factory->fallbackEntry(key).key.isEmpty();
            creatable
                = creatable && !taken.contains({quintptr(bus), {address.kind, address.value}});
        }
        if (!creatable) {
            setDeviceError(device, path);
            return false;
        }
        taken.insert({quintptr(bus), {address.kind, address.value}});
    }
    return true;
}

bool SchemeController::loadDevice(QDomElement &element, const QString &path)
{
    DeviceDispatcher *bus = busFor(element);
    CanDeviceFactory *factory = CanDeviceFactory::of(bus);
    AbstractDisplayableItem *device = nullptr;
    if (factory && !isInternal(element)) {
        device = factory->createDeviceFromDescription(element);
    } else if (factory) {
        const ItemAddress address = CanDeviceFactory::deviceNodeItemAddress(element);
        device = factory->createDeviceFromKey(element.attribute(QStringLiteral("key")).toLatin1(),
                                              address);
        if (auto *canDevice = qobject_cast<CanDevice *>(device))
            canDevice->applyXmlData(element);
    }
    if (!device) {
        setDeviceError(element, path);
        return false;
    }
    device->restoreParameterValues(element);
    // Name, state, period and filter mark of the device and every function, before the device
    // joins the bus thread.
    device->applySchemeSettings(element);
    addDevice(device, bus);
    return true;
}

bool SchemeController::loadDevices(const QDomElement &root, const QString &path)
{
    for (QDomElement device = root.firstChildElement(QStringLiteral("device")); !device.isNull();
         device = device.nextSiblingElement(QStringLiteral("device"))) {
        if (!loadDevice(device, path))
            return false;
    }
    return true;
}

void SchemeController::restoreWindow(const QDomElement &root)
{
    if (!m_window)
        return;
    const QDomElement widgets = root.firstChildElement(QStringLiteral("widgets"));
    for (QDomElement w = widgets.firstChildElement(QStringLiteral("widget")); !w.isNull();
         w = w.nextSiblingElement(QStringLiteral("widget")))
        m_window->getDetailsWidgetForPath(w.attribute(QStringLiteral("path")));
    // Before the layout, which places the plot docks by their names.
    m_window->restorePlots(widgets);
    const QByteArray state
        = QByteArray::fromBase64(widgets.attribute(QStringLiteral("state")).toLatin1());
    if (!state.isEmpty())
        m_window->restoreLayout(state, WindowStateVersion);
}

void SchemeController::addTabs(const QDomElement &root)
{
    QDomElement kept = m_tabs.documentElement();
    int built = 0;
    for (QDomElement tab = root.firstChildElement(QStringLiteral("tab")); !tab.isNull();
         tab = tab.nextSiblingElement(QStringLiteral("tab"))) {
        kept.appendChild(m_tabs.importNode(tab, true));
        if (m_window && m_window->addTab(tab))
            ++built;
    }
    // The tabs take the window; without one the docks are all the engineer has.
    if (built > 0)
        m_window->hideDocksForTabs();
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
    QString parseError;
    int line = 0;
    if (!doc.setContent(content, &parseError, &line)) {
        // The parser's own text, in the words of Qt's catalogue.
        const QString reason = QCoreApplication::translate("QXml", parseError.toUtf8().constData());
        m_lastError = tr("%1 is not a scheme file: %2 (line %3)").arg(path, reason).arg(line);
        return false;
    }
    QDomElement root = doc.documentElement();
    if (root.tagName() != QLatin1String("devices")) {
        m_lastError = tr("%1 is not a scheme file").arg(path);
        return false;
    }
    if (root.attribute(QStringLiteral("version")).toInt() < FormatVersion)
        dropMeasuredPeriods(root);
    // The buses the window has are shown: two buses may each have a unit at one address.
    QDomDocument otherBuses;
    const int shownBus = takeOtherBuses(root, &otherBuses);
    if (!checkDevices(root, path))
        return false;
    // Kept to put the current scheme back should a device still fail once it is gone.
    const QDomDocument previous = toDocument();
    const QString previousPath = m_schemePath;
    clearScheme();
    setOtherBuses(shownBus, otherBuses);
    // Before the units, whose functions may be the databases' groups.
    applyDatabases(root, path);
    if (!loadDevices(root, path)) {
        const QString error = m_lastError;
        clearScheme();
        const QDomElement previousRoot = previous.documentElement();
        QDomDocument previousOthers;
        setOtherBuses(takeOtherBuses(previousRoot, &previousOthers), previousOthers);
        applyDatabases(previousRoot, QString());
        m_schemePath = previousPath;
        m_databaseProblems.clear();
        if (!loadDevices(previousRoot, tr("previous scheme")))
            qWarning("The previous scheme could not be restored completely");
        restoreWindow(previousRoot);
        addTabs(previousRoot);
        m_lastError = error;
        return false;
    }
    restoreWindow(root);
    emit schemeUpdated();
    addTabs(root);
    m_lastError.clear();
    return true;
}
