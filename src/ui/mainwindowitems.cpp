// The scheme-item side of the main window: adding, selecting, editing and deleting items.
#include "ui/mainwindow.h"

#include "descriptions/abstractdevicefactory.h"
#include "descriptions/autodetector.h"
#include "descriptions/candevicefactory.h"
#include "descriptions/deviceconstructormodel.h"
#include "devicetests/devicetest.h"
#include "devicetests/editors/devicetestdialog.h"
#include "diagnostics/offboarddiagnosticdevice.h"
#include "model/abstractdisplayableitem.h"
#include "model/descriptiontext.h"
#include "model/devicedispatcher.h"
#include "model/transmissionperiod.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemecontroller.h"
#include "scheme/schemedocument.h"
#include "scheme/schemetreemodel.h"
#include "ui/cataloguebar.h"
#include "ui/detailsdocks.h"
#include "ui/editors/rawdataview.h"
#include "ui/rawdatamodel.h"
#include "ui/unitactions.h"
#include "ui/windowbuses.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QDebug>
#include <QDockWidget>
#include <QFile>
#include <QMap>
#include <QPointer>
#include <QStatusBar>
#include <QTableView>
#include <QTreeView>

#include <algorithm>
#include <memory>

namespace {

// The functions of a unit that keep a period.
QList<AbstractSchemeTreeItem *> periodicChildren(const AbstractSchemeTreeItem *node)
{
    QList<AbstractSchemeTreeItem *> children;
    for (AbstractSchemeTreeItem *child : node->childNodes()) {
        if (child->displayable() && TransmissionPeriod::isPeriodic(child->displayable()))
            children << child;
    }
    return children;
}

// The period most of the items show in the Period column (the shorter one on a tie): the one a
// periodic item keeps, the measured one of any other; 0 for none.
int commonPeriod(const QList<AbstractSchemeTreeItem *> &nodes)
{
    QMap<int, int> uses;
    for (const AbstractSchemeTreeItem *node : nodes) {
        const AbstractDisplayableItem *item = node->displayable();
        const int period
            = TransmissionPeriod::isPeriodic(item) ? item->transmissionInterval() : item->period();
        ++uses[std::max(0, period)];
    }
    int best = 0;
    int count = 0;
    for (auto it = uses.cbegin(); it != uses.cend(); ++it) {
        if (it.value() > count) {
            best = it.key();
            count = it.value();
        }
    }
    return best;
}

} // namespace

void MainWindow::slotAutoAddChanged(bool on)
{
    if (!m_notifier)
        return;
    if (on)
        connect(m_notifier, &GuiMessageNotifier::notifyPack, this,
                &MainWindow::slotCheckForNewDevices, Qt::UniqueConnection);
    else
        disconnect(m_notifier, &GuiMessageNotifier::notifyPack, this,
                   &MainWindow::slotCheckForNewDevices);
}

void MainWindow::slotCheckForNewDevices(const AbstractCanHandler::MessagePack &pack)
{
    const QList<AbstractDisplayableItem *> created = m_autoDetector->process(pack);
    for (AbstractDisplayableItem *item : created) {
        m_schemeDocument->addedFromTraffic(item);
        addDisplayable(item);
    }
    if (!created.isEmpty())
        m_constructorModel->refresh();
}

void MainWindow::addDisplayable(AbstractDisplayableItem *item, DeviceDispatcher *bus)
{
    if (!item)
        return;
    // A lost address claim is news for the engineer and stays shown; a claim that holds shows
    // in the tool unit's row.
    if (auto *tool = qobject_cast<OffBoardDiagnosticDevice *>(item))
        connect(tool, &OffBoardDiagnosticDevice::claimChanged, this,
                [this](const QString &text, bool lost) {
                    if (lost)
                        statusBar()->showMessage(text);
                });
    // Registration also makes a function a child of its device (in the bus thread).
    if (!bus)
        bus = m_schemeController->dispatcher();
    if (bus)
        bus->registerDisplayable(item);
    AbstractDisplayableItem *parentItem = item->parentItem();
    AbstractSchemeTreeItem *parentNode
        = parentItem ? parentItem->existingTreeItem() : m_schemeController->busNode(bus);
    if (parentItem && !parentNode)
        return; // the parent's node lists it when the parent joins the scheme
    AbstractSchemeTreeItem *node = item->treeItem();
    if (node->parentNode() || m_schemeModel->topLevelItems().contains(node))
        return;
    m_schemeModel->addItem(node, parentNode);
}

AbstractSchemeTreeItem *MainWindow::currentNode() const
{
    return m_schemeModel->item(m_mainView->currentIndex());
}

QList<AbstractSchemeTreeItem *> MainWindow::selectedNodes() const
{
    QList<AbstractSchemeTreeItem *> nodes;
    for (const QModelIndex &index : m_mainView->selectionModel()->selectedRows()) {
        if (AbstractSchemeTreeItem *node = m_schemeModel->item(index))
            nodes << node;
    }
    return nodes;
}

void MainWindow::selectNode(AbstractSchemeTreeItem *node)
{
    // Column 0 of an idle item is disabled, and a view will not make it current.
    const QModelIndex index = m_schemeModel->index(node, 1);
    if (!index.isValid())
        return;
    m_mainView->setCurrentIndex(index);
    m_mainView->scrollTo(index);
}

void MainWindow::slotOnMainViewRowChanged(const QModelIndex &current)
{
    AbstractSchemeTreeItem *node = m_schemeModel->item(current);
    // Units are added to the bus of the current row, from its catalogue.
    m_constructorModel->setUnitCatalogue(CanDeviceFactory::of(currentBus()));
    m_details->showEditor(node);
    if (!node) {
        m_catalogueBar->setSelectedItem(nullptr);
        return;
    }
    slotRefreshDetailsTitles();
    // A function without a catalogue of its own shows its unit's, where it was added from.
    AbstractDisplayableItem *item = node->displayable();
    while (item && !item->subFactory() && item->parentItem())
        item = item->parentItem();
    m_catalogueBar->setSelectedItem(item);
}

void MainWindow::slotRefreshDetailsTitles()
{
    m_details->refreshTitles(m_schemeModel->item(m_mainView->currentIndex()));
}

void MainWindow::slotOnMainViewSelectionChanged()
{
    // A click beside the rows selects nothing: the units are listed again.
    if (!m_mainView->selectionModel()->hasSelection())
        m_catalogueBar->showUnits();
    QList<AbstractDisplayableItem *> items;
    for (AbstractSchemeTreeItem *node : selectedNodes()) {
        if (node->displayable())
            items << node->displayable();
    }
    m_rawModel->setActiveDisplayables(items);
}

void MainWindow::slotOnRawDataViewSelectionChanged()
{
    QModelIndexList rows = m_rawDataView->selectionModel()->selectedRows();
    if (rows.size() < 2) {
        statusBar()->clearMessage();
        return;
    }
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex &x, const QModelIndex &y) { return x.row() < y.row(); });
    const qint64 first = m_rawModel->timing(rows.first().row());
    const qint64 last = m_rawModel->timing(rows.last().row());
    statusBar()->showMessage(
        tr("%n messages, interval %1 ms", nullptr, rows.size()).arg(qAbs(last - first)));
}

void MainWindow::slotOnConstructorViewCurrentRowChanged(const QModelIndex &)
{
    updateTestAction();
}

void MainWindow::updateTestAction()
{
    const bool kindChosen = m_catalogueBar && m_catalogueBar->showsUnits()
                            && m_constructorModel->hasTest(m_constructorView->currentIndex());
    const bool unitChosen = m_unitActions && m_unitActions->currentUnitHasTest();
    QAction *test = findChild<QAction *>(QStringLiteral("actionTest"));
    test->setEnabled(kindChosen || unitChosen);
    test->setStatusTip(test->isEnabled() ? QString()
                                         : tr("Choose a unit kind with a test among the units "
                                              "in Devices, or a unit with a test in the tree"));
}

namespace {

// The state an item added from the catalogue starts in: a function takes its unit's side (the
// Stub Tarvik stands in for sends, a function of an observed unit is observed: sending it would
// put frames under that unit's address beside the unit's own); a unit, the state chosen.
int addedItemState(const AbstractDeviceFactory *catalogue, int chosen)
{
    const auto *unit
        = qobject_cast<const AbstractDisplayableItem *>(catalogue ? catalogue->owner() : nullptr);
    if (!unit)
        return chosen;
    switch (unit->ownState()) {
    case AbstractDisplayableItem::Send:
        return AbstractDisplayableItem::Send;
    case AbstractDisplayableItem::ReceiveOk:
    case AbstractDisplayableItem::ReceiveWarning:
    case AbstractDisplayableItem::ReceiveError:
    case AbstractDisplayableItem::ReceiveForced:
        return AbstractDisplayableItem::ReceiveOk;
    default:
        return chosen;
    }
}

} // namespace

void MainWindow::on_constructorView_activated(const QModelIndex &index)
{
    const int state
        = addedItemState(m_constructorModel->factory(), m_initialStateGroup->checkedId());
    // A unit at the address answers every frame there: a second one is refused with the reason.
    auto refuseOccupied = [this, index](quint32 address) {
        const AbstractDisplayableItem *occupant = m_constructorModel->occupant(index, address);
        if (occupant)
            statusBar()->showMessage(tr("Address %1 is already used by %2")
                                         .arg(occupant->userReadableAddress(), occupant->name()),
                                     5000);
    };
    if (!m_constructorModel->isAvailable(index)) {
        refuseOccupied(ItemAddress::Unassigned);
        return;
    }
    quint32 address = ItemAddress::Unassigned;
    if (m_constructorModel->isDynamicAddress(index)) {
        bool ok = false;
        address = m_questions->askAddress(tr("Address"), tr("Device address"), 0, 0xFF, &ok);
        if (!ok)
            return;
    }
    AbstractDisplayableItem *item = m_constructorModel->getDevice(index, address);
    if (!item) {
        refuseOccupied(address);
        return;
    }
    item->setState(state);
    addDisplayable(item, currentBus());
    m_constructorModel->refresh();
    // The choice was for this item: the next one is observed unless chosen again.
    m_initialStateGroup->button(AbstractDisplayableItem::ReceiveOk)->setChecked(true);
}

void MainWindow::on_actionTest_triggered()
{
    // One test at a time: a second press brings the running one forward.
    if (auto *running = findChild<DeviceTestDialog *>()) {
        running->raise();
        running->activateWindow();
        return;
    }
    const QModelIndex index = m_constructorView->currentIndex();
    if (!m_catalogueBar->showsUnits() || !m_constructorModel->hasTest(index)) {
        m_unitActions->testCurrentUnit();
        return;
    }
    DeviceTest *test = m_constructorModel->createTest(index);
    if (!test)
        test = loadTestScheme(index);
    if (!test) {
        statusBar()->showMessage(tr("Add the unit to the scheme before testing it"), 5000);
        return;
    }
    startTest(test);
}

void MainWindow::startTest(DeviceTest *test)
{
    if (!test)
        return;
    if (auto *running = findChild<DeviceTestDialog *>()) {
        delete test;
        running->raise();
        running->activateWindow();
        return;
    }
    auto *dialog = new DeviceTestDialog(test, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}

DeviceTest *MainWindow::loadTestScheme(const QModelIndex &index)
{
    const QString path = index.data(DeviceConstructorModel::TestSchemeRole).toString();
    const AbstractDeviceFactory::Entry entry
        = m_constructorModel->factory() ? m_constructorModel->factory()->entry(index.row())
                                        : std::nullopt;
    if (path.isEmpty() || !entry)
        return nullptr;
    const QByteArray key = entry->key;
    if (!m_schemeModel->unitNodes().isEmpty()
        && !m_questions->askConfirm(
            tr("Test"), tr("The test replaces the scheme by its own, in which this tool "
                           "acts as the lower control panel. Continue?")))
        return nullptr;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !m_schemeController->load(file.readAll(), path)) {
        m_questions->showError(tr("Test"), m_schemeController->lastError());
        return nullptr;
    }
    // Loading rebuilt the catalogue view: find the entry again by its key.
    CanDeviceFactory *factory = catalogue();
    const AbstractDeviceFactory::Entry loaded = factory ? factory->getEntry(key) : std::nullopt;
    if (!loaded || !loaded->instance || !loaded->createTest)
        return nullptr;
    return loaded->createTest(loaded->instance);
}

void MainWindow::on_actionAddFlasher_triggered()
{
    // On the bus of the selected row: each bus has its own tool unit.
    const QPointer<DeviceDispatcher> bus = currentBus();
    CanDeviceFactory *factory = CanDeviceFactory::of(bus);
    if (!factory)
        return;
    if (AbstractDisplayableItem *existing = factory->getDevice(FlasherKey)) {
        selectNode(existing->existingTreeItem());
        return;
    }
    // The tool unit has one address; a unit already there (a stub made for memory access, as a
    // rule) answers every frame to it, so it must go first, and only if the engineer agrees.
    const AbstractDeviceFactory::Entry entry = factory->getEntry(FlasherKey);
    if (AbstractDisplayableItem *occupant = entry ? factory->occupant(entry->address) : nullptr) {
        const QString title = tr("Add flasher");
        const QString address = AbstractDisplayableItem::hexAddressText(entry->address.value);
        const QString question
            = tr("The tool unit (flashing and identification) needs address %1, which %2 "
                 "uses. Replace %2 by the tool unit? %2 and its functions leave the scheme; "
                 "the tool unit's catalogue offers the same functions.")
                  .arg(address, occupant->name());
        AbstractSchemeTreeItem *node = occupant->existingTreeItem();
        // The address is free once the occupant is destroyed (in the bus thread, later): the
        // catalogue forgets it first, as its own connection was made earlier.
        const auto joined = std::make_shared<QMetaObject::Connection>();
        *joined = connect(
            occupant, &QObject::destroyed, this,
            [this, joined, bus] {
                disconnect(*joined);
                if (bus)
                    addFlasherUnit(bus);
            },
            Qt::QueuedConnection);
        if (!node || !deleteNode(node, title, question)) {
            disconnect(*joined);
            statusBar()->showMessage(
                tr("Tool unit not added: address %1 is used by %2").arg(address, occupant->name()),
                10000);
        }
        return;
    }
    addFlasherUnit(bus);
}

void MainWindow::addFlasherUnit(DeviceDispatcher *bus)
{
    CanDeviceFactory *factory = CanDeviceFactory::of(bus);
    AbstractDisplayableItem *item
        = factory ? factory->createDevice(QByteArray(FlasherKey)) : nullptr;
    if (!item) {
        m_questions->showError(tr("Add flasher"), tr("The tool unit could not be added."));
        return;
    }
    addDisplayable(item, bus);
    m_constructorModel->refresh();
    selectNode(item->existingTreeItem());
}

void MainWindow::on_actionSetTransmissionInterval_triggered()
{
    AbstractSchemeTreeItem *node = currentNode();
    if (!node || !node->displayable())
        return;
    // A unit has no period of its own: its periodic functions take the one chosen for it.
    QList<AbstractSchemeTreeItem *> targets = periodicChildren(node);
    const bool unit = !targets.isEmpty();
    if (!unit)
        targets << node;
    bool ok = false;
    const QString label = unit ? tr("Transmission period of the %n periodic functions of %1, ms",
                                    nullptr, targets.size())
                                     .arg(node->uniqueName())
                               : tr("Transmission period, ms");
    const int value
        = m_questions->askInt(tr("Period"), label, commonPeriod(targets), 0, 2147483647, &ok);
    if (!ok || (TransmissionPeriod::needsConfirmation(value) && !confirmShortPeriod(value)))
        return;
    for (AbstractSchemeTreeItem *target : qAsConst(targets))
        m_schemeModel->setData(m_schemeModel->index(target, 4), value, Qt::EditRole);
    const QString name = node->uniqueName();
    if (value > 0)
        statusBar()->showMessage(tr("Period of %1: %2 ms").arg(name).arg(value), 5000);
    else
        statusBar()->showMessage(tr("%1 has no period now: its frames are not checked for "
                                    "time-outs and it is not sent periodically")
                                     .arg(name),
                                 10000);
}

void MainWindow::on_actionRename_triggered()
{
    AbstractSchemeTreeItem *node = currentNode();
    if (!node || !node->displayable() || node->isBus())
        return;
    bool ok = false;
    const QString name
        = m_questions->askText(tr("Rename"), tr("Device Name"),
                               DescriptionText::translated(node->displayable()->name()), &ok);
    if (ok)
        m_schemeModel->setData(m_schemeModel->index(node, 2), name, Qt::EditRole);
}

void MainWindow::on_actionDeleteDevice_triggered()
{
    AbstractSchemeTreeItem *node = currentNode();
    // A bus leaves with File ▸ Remove Bus, which asks about its units.
    if (node && node->isBus())
        m_buses->removeCurrent();
    else if (node)
        deleteNode(node, tr("Delete"), tr("Delete %1 from the scheme?").arg(node->uniqueName()));
}

bool MainWindow::deleteNode(AbstractSchemeTreeItem *node, const QString &title,
                            const QString &question)
{
    if (!confirmAbandonTransfers({node->displayable()}))
        return false;
    // A test acting on the item ends first, while the item still exists.
    DeviceTestDialog *test = runningTest({node->displayable()});
    if ((test && !confirmCloseTest(test)) || !m_questions->askConfirm(title, question))
        return false;
    closeTest(test);
    AbstractDisplayableItem *item = node->displayable();
    m_schemeModel->takeItem(m_schemeModel->index(node, 0));
    delete node;
    if (item) {
        if (DeviceDispatcher *d = m_schemeController->dispatcher())
            d->unregisterDisplayable(item);
        item->deleteLater();
    }
    m_constructorModel->refresh();
    return true;
}

void MainWindow::setSelectedFiltered(bool on)
{
    for (AbstractSchemeTreeItem *node : selectedNodes()) {
        if (node->displayable())
            node->displayable()->setFiltered(on);
    }
    m_mainView->viewport()->update();
}

void MainWindow::on_actionFilterOn_triggered()
{
    setSelectedFiltered(true);
}

void MainWindow::on_actionFilterOff_triggered()
{
    setSelectedFiltered(false);
}

void MainWindow::on_actionSend_triggered()
{
    AbstractSchemeTreeItem *node = currentNode();
    if (node && node->displayable())
        node->displayable()->setState(AbstractDisplayableItem::Send);
}

void MainWindow::on_actionReceive_triggered()
{
    AbstractSchemeTreeItem *node = currentNode();
    if (node && node->displayable())
        node->displayable()->setState(AbstractDisplayableItem::ReceiveOk);
}

Qt::DockWidgetArea MainWindow::lastDetailsDockArea() const
{
    return m_details->lastDockArea();
}

QDockWidget *MainWindow::getDetailsWidgetForPath(const QString &path)
{
    return m_details->openDock(path);
}

QStringList MainWindow::detailsDockPaths() const
{
    return m_details->dockPaths();
}

void MainWindow::addDataDock(QDockWidget *dock)
{
    addDockWidget(Qt::LeftDockWidgetArea, dock);
    dock->show();
    dock->raise();
    if (dock->isFloating())
        return;
    // Below Details in the same area it would get a few rows: the values need the room.
    resizeDocks({dock}, {height() * 2 / 3}, Qt::Vertical);
    resizeDocks({dock}, {std::max(dock->width(), width() / 3)}, Qt::Horizontal);
}

void MainWindow::on_actionDetails_triggered()
{
    if (AbstractSchemeTreeItem *node = currentNode())
        getDetailsWidgetForPath(node->uniqueKey());
}

DeviceDispatcher *MainWindow::dispatcher() const
{
    return m_schemeController->dispatcher();
}

AbstractCanHandler *MainWindow::handler() const
{
    const DeviceDispatcher *bus = dispatcher();
    return bus ? bus->handler() : nullptr;
}

CanDeviceFactory *MainWindow::catalogue() const
{
    return CanDeviceFactory::of(dispatcher());
}
