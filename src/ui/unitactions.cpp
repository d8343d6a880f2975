#include "ui/unitactions.h"

#include "can/abstractcanhandler.h"
#include "can/tooladdress.h"
#include "descriptions/abstractdevicefactory.h"
#include "descriptions/candevicefactory.h"
#include "descriptions/deviceconstructormodel.h"
#include "descriptions/unitnames.h"
#include "diagnostics/canflashingfunctionv1.h"
#include "diagnostics/memoryaccessfunction.h"
#include "diagnostics/offboarddiagnosticdevice.h"
#include "model/abstractdisplayableitem.h"
#include "model/devicedispatcher.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemetreemodel.h"
#include "ui/identificationaction.h"
#include "ui/mainwindow.h"

#include <QAction>
#include <QDockWidget>
#include <QStatusBar>
#include <QTreeView>

int UnitActions::s_identificationTimeoutMs = 10000;

namespace {

constexpr quint32 LastUnitAddress = 0xFD; // 0xFE is the null address, 0xFF global

template<typename T>
T *childOf(const AbstractDisplayableItem *item)
{
    for (AbstractDisplayableItem *child : item->children()) {
        if (auto *found = qobject_cast<T *>(child))
            return found;
    }
    return nullptr;
}

} // namespace

UnitActions::UnitActions(MainWindow *window)
    : QObject(window)
    , m_window(window)
{
    setObjectName(QStringLiteral("unitActions"));
    auto make = [window](const char *name, const QString &text) {
        auto *a = new QAction(text, window);
        a->setObjectName(QLatin1String(name));
        return a;
    };
    m_test = make("actionUnitTest", tr("Test"));
    m_test->setIcon(QIcon(QStringLiteral(":/icons/test.png")));
    m_memoryAccess = make("actionUnitMemoryAccess", tr("Memory access…"));
    m_flashing = make("actionUnitFlashing", tr("Flashing…"));
    m_identification = make("actionUnitIdentification", tr("Identification"));
    connect(m_test, &QAction::triggered, this, &UnitActions::testCurrentUnit);
    connect(m_memoryAccess, &QAction::triggered, this, &UnitActions::openMemoryAccess);
    connect(m_flashing, &QAction::triggered, this, &UnitActions::openFlashing);
    connect(m_identification, &QAction::triggered, this, &UnitActions::requestIdentification);

    QTreeView *view = window->mainView();
    auto *separator = new QAction(view);
    separator->setSeparator(true);
    view->addAction(separator);
    for (QAction *a : {m_test, m_memoryAccess, m_flashing, m_identification})
        view->addAction(a);
    connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &UnitActions::updateActions);

    m_identifying = new IdentificationAction(window);
    connect(m_identifying, &IdentificationAction::finished, this, &UnitActions::updateActions);
    updateActions();
}

AbstractDisplayableItem *UnitActions::currentUnit() const
{
    SchemeTreeModel *model = m_window->schemeModel();
    AbstractSchemeTreeItem *node = model->item(m_window->mainView()->currentIndex());
    return node && node->isUnit() ? node->displayable() : nullptr;
}

AbstractDeviceFactory::Entry UnitActions::testEntry(const AbstractDisplayableItem *unit)
{
    const CanDeviceFactory *factory = unit ? CanDeviceFactory::of(unit->dispatcher()) : nullptr;
    if (!factory)
        return std::nullopt;
    for (const DeviceFactoryEntry &e : factory->entries()) {
        if (e.instance == unit && e.createTest)
            return e;
    }
    return std::nullopt;
}

AbstractDisplayableItem *UnitActions::toolUnit() const
{
    // The tool unit moves when it loses its address: it is found by its kind first.
    if (CanDeviceFactory *factory = m_window->catalogue()) {
        if (AbstractDisplayableItem *tool = factory->getDevice(MainWindow::FlasherKey))
            return tool;
    }
    for (AbstractSchemeTreeItem *node : m_window->schemeModel()->unitNodes()) {
        AbstractDisplayableItem *item = node->displayable();
        if (item && item->dispatcher() == m_window->dispatcher()
            && item->address().kind == ItemAddress::J1939
            && item->address().value == m_window->toolAddress().current())
            return item;
    }
    return nullptr;
}

QString UnitActions::serviceReason(const AbstractDisplayableItem *unit)
{
    if (!unit)
        return tr("Right-click the row of a unit");
    if (unit->address().kind != ItemAddress::J1939 || unit->address().value > LastUnitAddress)
        return tr("%1 is no J1939 unit with an address").arg(unit->name());
    if (qobject_cast<const OffBoardDiagnosticDevice *>(unit)
        || unit->address().value == ToolAddress::of(unit->dispatcher()).current())
        return tr("%1 is the tool itself").arg(unit->name());
    return QString();
}

void UnitActions::setApplicable(QAction *action, const QString &reason)
{
    action->setEnabled(reason.isEmpty());
    action->setToolTip(reason.isEmpty() ? action->text() : reason);
    action->setStatusTip(reason);
}

void UnitActions::updateActions()
{
    AbstractDisplayableItem *unit = currentUnit();
    if (!unit)
        setApplicable(m_test, tr("Right-click the row of a unit"));
    else
        setApplicable(m_test, testEntry(unit)
                                  ? QString()
                                  : tr("There is no acceptance test for %1").arg(unit->name()));
    const QString reason = serviceReason(unit);
    setApplicable(m_memoryAccess, reason);
    setApplicable(m_flashing, reason);
    QString identificationReason = reason;
    if (reason.isEmpty() && m_identifying->isRunning())
        identificationReason
            = tr("Waiting for the identification of %1").arg(m_identifying->unitName());
    setApplicable(m_identification, identificationReason);
}

void UnitActions::message(const QString &text)
{
    m_window->statusBar()->showMessage(text, 8000);
}

void UnitActions::testCurrentUnit()
{
    const AbstractDeviceFactory::Entry entry = testEntry(currentUnit());
    if (!entry) {
        message(tr("Select a unit with an acceptance test, or a kind with a test in Devices"));
        return;
    }
    m_window->startTest(entry->createTest(entry->instance));
}

OffBoardDiagnosticDevice *UnitActions::ensureFlasherUnit()
{
    auto flasherUnit = [this] {
        CanDeviceFactory *factory = m_window->catalogue();
        return qobject_cast<OffBoardDiagnosticDevice *>(
            factory ? factory->getDevice(MainWindow::FlasherKey) : nullptr);
    };
    if (OffBoardDiagnosticDevice *unit = flasherUnit())
        return unit;
    // Add flasher puts the tool unit at its address, as the Device menu does.
    if (auto *add = m_window->findChild<QAction *>(QStringLiteral("actionAddFlasher")))
        add->trigger();
    OffBoardDiagnosticDevice *unit = flasherUnit();
    if (!unit) {
        AbstractDisplayableItem *other = toolUnit();
        message(other ? tr("0x%1 is held by %2: the flasher cannot be added")
                            .arg(m_window->toolAddress().current(), 2, 16)
                            .arg(other->name())
                      : tr("The flasher could not be added"));
    }
    return unit;
}

bool UnitActions::ensureToolReceiver()
{
    AbstractDisplayableItem *tool = toolUnit();
    // The tool unit hears what is addressed to it in any state; another unit only in Send.
    if (qobject_cast<OffBoardDiagnosticDevice *>(tool))
        return true;
    if (tool) {
        tool->setState(AbstractDisplayableItem::Send);
        return true;
    }
    const QPersistentModelIndex current = m_window->mainView()->currentIndex();
    OffBoardDiagnosticDevice *added = ensureFlasherUnit();
    // Adding the tool unit selected it: the engineer stays where he was.
    if (current.isValid())
        m_window->mainView()->setCurrentIndex(current);
    return added != nullptr;
}

bool UnitActions::selectRow(AbstractDisplayableItem *item)
{
    SchemeTreeModel *model = m_window->schemeModel();
    AbstractSchemeTreeItem *node = item ? item->existingTreeItem() : nullptr;
    // Column 0 of an idle item is disabled, and a view will not make it current.
    const QModelIndex index = node ? model->index(node, 1) : QModelIndex();
    if (!index.isValid())
        return false;
    m_window->mainView()->setCurrentIndex(index);
    m_window->mainView()->scrollTo(index);
    return true;
}

void UnitActions::showDetailsOf(AbstractDisplayableItem *item)
{
    if (!selectRow(item))
        return;
    if (auto *details = m_window->findChild<QDockWidget *>(QStringLiteral("detailsWindow"))) {
        details->show();
        details->raise();
    }
}

MemoryAccessFunction *UnitActions::ensureMemoryAccess()
{
    AbstractDisplayableItem *tool = toolUnit();
    // The tool unit has its memory access function beside the flasher: one node serves both,
    // each exchange in turn.
    if (!tool || qobject_cast<OffBoardDiagnosticDevice *>(tool)) {
        OffBoardDiagnosticDevice *unit = ensureFlasherUnit();
        return unit ? unit->memoryAccess() : nullptr;
    }
    // A unit the engineer put at the tool's address answers for the tool while in Send.
    auto *function = childOf<MemoryAccessFunction>(tool);
    if (!function) {
        AbstractDeviceFactory *functions = tool->subFactory();
        AbstractDisplayableItem *made
            = functions ? functions->createDevice(QByteArrayLiteral("matool")) : nullptr;
        function = qobject_cast<MemoryAccessFunction *>(made);
        if (!function) {
            delete made;
            message(tr("%1 cannot take a memory access function").arg(tool->name()));
            return nullptr;
        }
        function->setState(AbstractDisplayableItem::Send);
        m_window->addDisplayable(function);
        m_window->constructorModel()->refresh();
    }
    tool->setState(AbstractDisplayableItem::Send);
    return function;
}

void UnitActions::openMemoryAccess()
{
    AbstractDisplayableItem *unit = currentUnit();
    if (!serviceReason(unit).isEmpty())
        return;
    const quint32 target = unit->address().value;
    MemoryAccessFunction *function = ensureMemoryAccess();
    if (!function)
        return;
    AbstractDisplayableItem *tool = function->parentItem();
    function->setTarget(int(target));
    showDetailsOf(function);
    message(tr("Memory access to %1 through %2").arg(unit->name(), tool->name()));
}

void UnitActions::openFlashing()
{
    AbstractDisplayableItem *unit = currentUnit();
    if (!serviceReason(unit).isEmpty())
        return;
    const quint32 target = unit->address().value;
    OffBoardDiagnosticDevice *tool = ensureFlasherUnit();
    CanFlashingFunctionV1 *flasher = tool ? tool->flasher() : nullptr;
    if (!flasher)
        return;
    if (flasher->isFlashing())
        message(tr("A program transfer is running: its target stays"));
    else
        flasher->setTarget(int(target));
    showDetailsOf(flasher);
}

void UnitActions::requestIdentification()
{
    AbstractDisplayableItem *unit = currentUnit();
    if (!serviceReason(unit).isEmpty() || m_identifying->isRunning())
        return;
    AbstractCanHandler *handler = unit->handler();
    if (!handler || !handler->isOpen()) {
        message(tr("No bus connection: nothing was asked"));
        return;
    }
    OffBoardDiagnosticDevice *offboard = ensureFlasherUnit();
    // Adding the flasher selected it: the engineer stays with the unit asked.
    selectRow(unit);
    if (!offboard)
        return;
    CanFlashingFunctionV1 *flasher = offboard->flasher();
    if (flasher && flasher->isFlashing()) {
        message(tr("A program transfer is running: no requests meanwhile"));
        return;
    }
    if (!m_identifying->start(unit, offboard))
        return;
    message(tr("Asking %1 for its identification…").arg(UnitNames::translated(unit->name())));
    updateActions();
}
