#include "ui/codeactions.h"

#include "descriptions/abstractdevicefactory.h"
#include "descriptions/deviceconstructormodel.h"
#include "descriptions/unitnames.h"
#include "diagnostics/editors/dm1schemetreeitem.h"
#include "diagnostics/troublecodesfunction.h"
#include "model/j1939device.h"
#include "scheme/schemetreemodel.h"
#include "ui/mainwindow.h"
#include "ui/unitactions.h"

#include <QAction>
#include <QDateTime>
#include <QDockWidget>
#include <QStatusBar>
#include <QTimer>
#include <QTreeView>

int CodeActions::s_followUpMs = 2000;

namespace {

constexpr quint32 Dm1Pgn = 0xFECA;
constexpr quint32 Dm2Pgn = 0xFECB;
constexpr int FollowUpPollMs = 50;

} // namespace

CodeActions::CodeActions(MainWindow *window)
    : QObject(window)
    , m_window(window)
{
    setObjectName(QStringLiteral("codeActions"));
    m_codes = new QAction(tr("Trouble codes"), window);
    m_codes->setObjectName(QStringLiteral("actionUnitTroubleCodes"));
    connect(m_codes, &QAction::triggered, this, &CodeActions::showTroubleCodes);
    QTreeView *view = window->mainView();
    view->addAction(m_codes);
    connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &CodeActions::updateActions);
    m_followUp = new QTimer(this);
    m_followUp->setInterval(FollowUpPollMs);
    connect(m_followUp, &QTimer::timeout, this, &CodeActions::followUp);
    updateActions();
}

void CodeActions::updateActions()
{
    UnitActions *units = m_window->unitActions();
    const QString reason = UnitActions::serviceReason(units ? units->currentUnit() : nullptr);
    m_codes->setEnabled(reason.isEmpty());
    m_codes->setToolTip(reason.isEmpty() ? tr("Read the unit's active and previously active "
                                              "trouble codes")
                                         : reason);
    m_codes->setStatusTip(reason);
}

void CodeActions::message(const QString &text)
{
    m_window->statusBar()->showMessage(text, 8000);
}

TroubleCodesFunction *CodeActions::ensureFunction(AbstractDisplayableItem *unit,
                                                  const QByteArray &key, quint32 pgn)
{
    auto *device = qobject_cast<J1939Device *>(unit);
    if (!device)
        return nullptr;
    if (StaticPgnJ1939DeviceFunction *existing = device->functionForPgn(pgn)) {
        auto *function = qobject_cast<TroubleCodesFunction *>(existing);
        if (!function)
            message(tr("%1 has another function at 0x%2").arg(unit->name()).arg(pgn, 4, 16));
        return function;
    }
    AbstractDeviceFactory *functions = unit->subFactory();
    AbstractDisplayableItem *made = functions ? functions->createDevice(key) : nullptr;
    auto *function = qobject_cast<TroubleCodesFunction *>(made);
    if (!function) {
        delete made;
        message(tr("%1 cannot take the function %2").arg(unit->name(), QString::fromLatin1(key)));
        return nullptr;
    }
    // A unit the tool stands in for answers with its own codes; any other is listened to.
    const bool simulated = unit->state() == AbstractDisplayableItem::Send;
    function->setState(simulated ? AbstractDisplayableItem::Send
                                 : AbstractDisplayableItem::ReceiveOk);
    m_window->addDisplayable(function);
    m_window->constructorModel()->refresh();
    return function;
}

void CodeActions::showDetailsOf(AbstractDisplayableItem *item)
{
    SchemeTreeModel *model = m_window->schemeModel();
    AbstractSchemeTreeItem *node = item ? item->existingTreeItem() : nullptr;
    // Column 0 of an idle item is disabled, and a view will not make it current.
    const QModelIndex index = node ? model->index(node, 1) : QModelIndex();
    if (!index.isValid())
        return;
    QTreeView *view = m_window->mainView();
    view->setCurrentIndex(index);
    view->scrollTo(index);
    if (auto *details = m_window->findChild<QDockWidget *>(QStringLiteral("detailsWindow"))) {
        details->show();
        details->raise();
    }
}

bool CodeActions::request(TroubleCodesFunction *function)
{
    auto *node
        = function ? qobject_cast<DM1SchemeTreeItem *>(function->existingTreeItem()) : nullptr;
    return node && node->request(m_window->mainView());
}

void CodeActions::showTroubleCodes()
{
    UnitActions *units = m_window->unitActions();
    AbstractDisplayableItem *unit = units ? units->currentUnit() : nullptr;
    if (!UnitActions::serviceReason(unit).isEmpty())
        return;
    m_followUp->stop();
    m_dm1 = ensureFunction(unit, QByteArrayLiteral("dm1"), Dm1Pgn);
    m_dm2 = ensureFunction(unit, QByteArrayLiteral("dm2"), Dm2Pgn);
    if (!m_dm2)
        return;
    // Long answers come to the tool's address by RTS/CTS: someone there must take them.
    m_window->ensureToolUnit();
    showDetailsOf(m_dm2);
    m_askedMs = QDateTime::currentMSecsSinceEpoch();
    if (!request(m_dm2)) {
        message(tr("No bus connection: %1 was not asked").arg(unit->name()));
        return;
    }
    message(tr("Asking %1 for its trouble codes…").arg(UnitNames::translated(unit->name())));
    if (m_dm1)
        m_followUp->start();
}

void CodeActions::followUp()
{
    const bool answered = m_dm2 && m_dm2->lastDecodedMs() >= m_askedMs;
    const bool late = QDateTime::currentMSecsSinceEpoch() - m_askedMs > s_followUpMs;
    if (!answered && !late && m_dm2)
        return;
    m_followUp->stop();
    if (m_dm1)
        request(m_dm1);
}
