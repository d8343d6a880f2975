#include "ui/clearingactions.h"

#include "can/abstractcanhandler.h"
#include "descriptions/abstractdevicefactory.h"
#include "descriptions/deviceconstructormodel.h"
#include "diagnostics/codeclearingfunction.h"
#include "diagnostics/fmitexts.h"
#include "model/j1939device.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemetreemodel.h"
#include "ui/broadcastactions.h"
#include "ui/editors/servicechoicedialog.h"
#include "ui/mainwindow.h"
#include "ui/unitactions.h"

#include <QAction>
#include <QDockWidget>
#include <QStatusBar>
#include <QTreeView>

namespace {

QString shownName(const AbstractDisplayableItem *unit)
{
    return CodeClearingFunction::unitText(quint8(unit->address().value), unit->name());
}

QString listText(const AbstractDisplayableItem *unit, quint32 pgn)
{
    QVector<DtcArrayParameter::DtcItem> codes;
    if (!CodeClearingFunction::knownCodes(unit, pgn, &codes))
        return ClearingActions::tr("codes not read yet");
    if (codes.isEmpty())
        return ClearingActions::tr("no codes");
    QStringList lines;
    for (const DtcArrayParameter::DtcItem &c : codes)
        lines << ClearingActions::tr("SPN %1 FMI %2 (%3)")
                     .arg(c.spn)
                     .arg(c.fmi)
                     .arg(FmiTexts::text(c.fmi));
    return lines.join(QStringLiteral("; "));
}

} // namespace

ClearingActions::ClearingActions(MainWindow *window)
    : QObject(window)
    , m_window(window)
    , m_clear(new QAction(tr("Clear codes…"), window))
{
    setObjectName(QStringLiteral("clearingActions"));
    m_clear->setObjectName(QStringLiteral("actionUnitClearCodes"));
    connect(m_clear, &QAction::triggered, this, &ClearingActions::clearCodes);
    QTreeView *view = window->mainView();
    view->addAction(m_clear);
    connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &ClearingActions::updateAction);
    updateAction();
    // DM13 beside it: the other service that changes the units' diagnostic state.
    new BroadcastActions(window);
}

void ClearingActions::updateAction()
{
    const QString reason = UnitActions::serviceReason(m_window->unitActions()->currentUnit());
    m_clear->setEnabled(reason.isEmpty());
    m_clear->setToolTip(reason.isEmpty() ? m_clear->text() : reason);
    m_clear->setStatusTip(reason);
}

void ClearingActions::message(const QString &text, int timeoutMs)
{
    m_window->statusBar()->showMessage(text, timeoutMs);
}

QString ClearingActions::unitCodesText(const AbstractDisplayableItem *unit, int kinds)
{
    QString text = shownName(unit) + QLatin1Char('\n');
    if (kinds & CodeClearingFunction::ClearActive)
        text += tr("  Active codes (DM1): %1\n").arg(listText(unit, CodeClearingFunction::Dm1Pgn));
    if (kinds & CodeClearingFunction::ClearPrevious)
        text += tr("  Previously active codes (DM2): %1\n")
                    .arg(listText(unit, CodeClearingFunction::Dm2Pgn));
    return text;
}

void ClearingActions::clearCodes()
{
    AbstractDisplayableItem *unit = m_window->unitActions()->currentUnit();
    if (!UnitActions::serviceReason(unit).isEmpty())
        return;
    AbstractCanHandler *handler = unit->handler();
    if (!handler || !handler->isOpen()) {
        message(tr("No bus connection: no codes can be cleared"));
        return;
    }
    ServiceChoiceDialog dialog(tr("Clear codes"),
                               tr("Which trouble codes are to be cleared, and where?"), m_window);
    const QString lists = tr("Codes");
    const QString where = tr("Units");
    dialog.addCheck(lists, "clearActive", tr("Active codes (DM11)"), true);
    dialog.addCheck(lists, "clearPrevious", tr("Previously active codes (DM3)"), false);
    dialog.addRadio(where, "clearThisUnit", tr("Only %1").arg(shownName(unit)), true);
    dialog.addRadio(where, "clearAllUnits", tr("All units (global request)"), false);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const int kinds
        = (dialog.isChecked("clearActive") ? CodeClearingFunction::ClearActive : 0)
          | (dialog.isChecked("clearPrevious") ? CodeClearingFunction::ClearPrevious : 0);
    if (!kinds) {
        message(tr("Nothing chosen to clear"));
        return;
    }
    const bool global = dialog.isChecked("clearAllUnits");
    QString text = global ? tr("Clear the codes of every unit on the bus?\n\n")
                          : tr("Clear the codes of %1?\n\n").arg(shownName(unit));
    const QList<J1939Device *> units
        = global ? CodeClearingFunction::schemeUnits(m_window->dispatcher())
                 : QList<J1939Device *>{qobject_cast<J1939Device *>(unit)};
    for (const J1939Device *u : units) {
        if (u)
            text += unitCodesText(u, kinds);
    }
    if (global)
        text += tr("and any other unit that answers the global request.\n");
    text += tr("\nCleared codes and their freeze frames are lost on the unit.");
    if (!m_window->questions()->askConfirm(tr("Clear codes"), text)) {
        message(tr("Clearing cancelled: nothing was sent"));
        return;
    }
    // Answers longer than a frame come to the tool's address by RTS/CTS: someone must be there.
    m_window->ensureToolUnit();
    CodeClearingFunction *function = clearingFunction(unit);
    if (!function) {
        message(tr("%1 cannot take a clearing function").arg(unit->name()));
        return;
    }
    connect(function, &CodeClearingFunction::finished, this, &ClearingActions::showResult,
            Qt::UniqueConnection);
    QMetaObject::invokeMethod(function,
                              [function, kinds, global] { function->slotStart(kinds, global); });
    showDetailsOf(function);
    message(global ? tr("Clearing the codes of all units…")
                   : tr("Clearing the codes of %1…").arg(shownName(unit)),
            0);
}

CodeClearingFunction *ClearingActions::clearingFunction(AbstractDisplayableItem *unit)
{
    for (AbstractDisplayableItem *child : unit->children()) {
        if (auto *found = qobject_cast<CodeClearingFunction *>(child))
            return found;
    }
    AbstractDeviceFactory *functions = unit->subFactory();
    AbstractDisplayableItem *made
        = functions ? functions->createDevice(QByteArrayLiteral("dm11")) : nullptr;
    auto *function = qobject_cast<CodeClearingFunction *>(made);
    if (!function) {
        delete made;
        return nullptr;
    }
    m_window->addDisplayable(function);
    m_window->constructorModel()->refresh();
    return function;
}

void ClearingActions::showDetailsOf(AbstractDisplayableItem *item)
{
    SchemeTreeModel *model = m_window->schemeModel();
    AbstractSchemeTreeItem *node = item ? item->existingTreeItem() : nullptr;
    // Column 0 of an idle item is disabled, and a view will not make it current.
    const QModelIndex index = node ? model->index(node, 1) : QModelIndex();
    if (!index.isValid())
        return;
    m_window->mainView()->setCurrentIndex(index);
    m_window->mainView()->scrollTo(index);
    if (auto *details = m_window->findChild<QDockWidget *>(QStringLiteral("detailsWindow"))) {
        details->show();
        details->raise();
    }
}

void ClearingActions::showResult(const QString &summary)
{
    // The result stays until the next message replaces it.
    message(summary, 0);
}
