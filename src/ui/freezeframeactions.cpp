#include "ui/freezeframeactions.h"

#include "descriptions/abstractdevicefactory.h"
#include "descriptions/deviceconstructormodel.h"
#include "model/abstractdisplayableitem.h"
#include "model/staticpgnj1939devicefunction.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemetreemodel.h"
#include "ui/mainwindow.h"
#include "ui/unitactions.h"

#include <QAction>
#include <QDockWidget>
#include <QStatusBar>
#include <QTreeView>

namespace {

constexpr quint32 Dm24Pgn = 0xFDB6;
constexpr quint32 Dm25Pgn = 0xFDB7;

AbstractDisplayableItem *functionOf(const AbstractDisplayableItem *unit, quint32 pgn)
{
    for (AbstractDisplayableItem *child : unit->children()) {
        auto *function = qobject_cast<StaticPgnJ1939DeviceFunction *>(child);
        if (function && function->pgnValue() == pgn)
            return function;
    }
    return nullptr;
}

} // namespace

FreezeFrameActions::FreezeFrameActions(MainWindow *window)
    : QObject(window)
    , m_window(window)
{
    setObjectName(QStringLiteral("freezeFrameActions"));
    m_action = new QAction(tr("Freeze frames…"), window);
    m_action->setObjectName(QStringLiteral("actionUnitFreezeFrames"));
    connect(m_action, &QAction::triggered, this, &FreezeFrameActions::openFreezeFrames);
    QTreeView *view = window->mainView();
    view->addAction(m_action);
    connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &FreezeFrameActions::updateAction);
    updateAction();
}

void FreezeFrameActions::updateAction()
{
    const QString reason = UnitActions::serviceReason(m_window->unitActions()->currentUnit());
    m_action->setEnabled(reason.isEmpty());
    m_action->setToolTip(reason.isEmpty() ? m_action->text() : reason);
    m_action->setStatusTip(reason);
}

void FreezeFrameActions::message(const QString &text)
{
    m_window->statusBar()->showMessage(text, 8000);
}

AbstractDisplayableItem *FreezeFrameActions::ensureFunction(AbstractDisplayableItem *unit,
                                                            quint32 pgn, const QByteArray &key)
{
    if (AbstractDisplayableItem *function = functionOf(unit, pgn))
        return function;
    AbstractDeviceFactory *functions = unit->subFactory();
    AbstractDisplayableItem *made = functions ? functions->createDevice(key) : nullptr;
    if (!made)
        return nullptr;
    m_window->addDisplayable(made);
    m_window->constructorModel()->refresh();
    return made;
}

void FreezeFrameActions::showDetailsOf(AbstractDisplayableItem *item)
{
    AbstractSchemeTreeItem *node = item ? item->existingTreeItem() : nullptr;
    // Column 0 of an idle item is disabled, and a view will not make it current.
    const QModelIndex index = node ? m_window->schemeModel()->index(node, 1) : QModelIndex();
    if (!index.isValid())
        return;
    m_window->mainView()->setCurrentIndex(index);
    m_window->mainView()->scrollTo(index);
    if (auto *details = m_window->findChild<QDockWidget *>(QStringLiteral("detailsWindow"))) {
        details->show();
        details->raise();
    }
}

void FreezeFrameActions::openFreezeFrames()
{
    AbstractDisplayableItem *unit = m_window->unitActions()->currentUnit();
    if (!UnitActions::serviceReason(unit).isEmpty())
        return;
    // DM25's records are laid out by the unit's DM24: the two come together.
    ensureFunction(unit, Dm24Pgn, QByteArrayLiteral("dm24"));
    AbstractDisplayableItem *dm25 = ensureFunction(unit, Dm25Pgn, QByteArrayLiteral("dm25"));
    if (!dm25) {
        message(tr("%1 cannot take a freeze frame function").arg(unit->name()));
        return;
    }
    // A freeze frame rarely fits one frame: the unit answers the tool by RTS/CTS.
    m_window->ensureToolUnit();
    showDetailsOf(dm25);
    message(tr("Freeze frames of %1: choose a code and request its freeze frame")
                .arg(unit->name()));
}
