#include "ui/broadcastactions.h"

#include "can/abstractcanhandler.h"
#include "diagnostics/broadcastsuspension.h"
#include "diagnostics/codeclearingfunction.h"
#include "model/abstractdisplayableitem.h"
#include "ui/editors/servicechoicedialog.h"
#include "ui/mainwindow.h"
#include "ui/unitactions.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QThread>

BroadcastActions::BroadcastActions(MainWindow *window)
    : QObject(window)
    , m_window(window)
    , m_suspend(new QAction(tr("Suspend broadcasts (DM13)…"), window))
    , m_resume(new QAction(tr("Resume broadcasts"), window))
    , m_label(new QLabel(tr("Broadcasts suspended (DM13)"), window->statusBar()))
{
    setObjectName(QStringLiteral("broadcastActions"));
    m_suspend->setObjectName(QStringLiteral("actionSuspendBroadcasts"));
    m_resume->setObjectName(QStringLiteral("actionResumeBroadcasts"));
    m_resume->setEnabled(false);
    connect(m_suspend, &QAction::triggered, this, &BroadcastActions::suspend);
    connect(m_resume, &QAction::triggered, this, &BroadcastActions::resume);
    if (auto *menu = window->findChild<QMenu *>(QStringLiteral("menuDevice"))) {
        menu->addSeparator();
        menu->addAction(m_suspend);
        menu->addAction(m_resume);
    }
    m_label->setObjectName(QStringLiteral("broadcastSuspendedLabel"));
    m_label->setStyleSheet(QStringLiteral("QLabel { color: #b00000; font-weight: bold; }"));
    window->statusBar()->addPermanentWidget(m_label);
    m_label->hide();
    // The program ends its bus thread before the window: resume while it still runs.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &BroadcastActions::resumeBeforeLeaving);
}

BroadcastActions::~BroadcastActions()
{
    resumeBeforeLeaving();
    BroadcastSuspension *s = m_suspension;
    if (!s)
        return;
    if (s->thread()->isRunning())
        s->deleteLater();
    else
        delete s;
}

void BroadcastActions::resumeBeforeLeaving()
{
    BroadcastSuspension *s = m_suspension;
    if (!s || !s->isSuspended())
        return;
    // The window goes: the units get their broadcasts back while the bus thread still runs.
    QThread *busThread = s->thread();
    if (busThread == QThread::currentThread())
        s->slotResume();
    else if (busThread->isRunning())
        QMetaObject::invokeMethod(s, "slotResume", Qt::BlockingQueuedConnection);
}

BroadcastSuspension *BroadcastActions::suspension() const
{
    return m_suspension;
}

BroadcastSuspension *BroadcastActions::ensureSuspension()
{
    if (m_suspension)
        return m_suspension;
    AbstractCanHandler *handler = m_window->handler();
    if (!handler)
        return nullptr;
    auto *s = new BroadcastSuspension(m_window->dispatcher());
    s->moveToThread(handler->thread());
    connect(handler, &AbstractCanHandler::stateChanged, s,
            &BroadcastSuspension::slotAdapterStateChanged);
    connect(s, &BroadcastSuspension::suspendedChanged, this, &BroadcastActions::showState);
    m_suspension = s;
    return s;
}

void BroadcastActions::suspend()
{
    AbstractCanHandler *handler = m_window->handler();
    if (!handler || !handler->isOpen()) {
        m_window->statusBar()->showMessage(tr("No bus connection: nothing is sent"), 8000);
        return;
    }
    AbstractDisplayableItem *unit = m_window->unitActions()->currentUnit();
    const bool unitChosen = UnitActions::serviceReason(unit).isEmpty();
    ServiceChoiceDialog dialog(tr("Suspend broadcasts"),
                               tr("Whose broadcasts are to stop, and on which networks? They "
                                  "stay stopped until you resume them."),
                               m_window);
    const QString units = tr("Units");
    const QString networks = tr("Networks");
    if (unitChosen)
        dialog.addRadio(units, "suspendThisUnit",
                        tr("Only %1").arg(CodeClearingFunction::unitText(
                            quint8(unit->address().value), unit->name())),
                        false);
    dialog.addRadio(units, "suspendAllUnits", tr("All units"), true);
    dialog.addRadio(networks, "suspendJ1939Network1", tr("J1939 network #1"), true);
    dialog.addRadio(networks, "suspendAllNetworks", tr("All networks"), false);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const bool one = unitChosen && dialog.isChecked("suspendThisUnit");
    const int destination = one ? int(unit->address().value) : int(CanMessage::GlobalAddress);
    const int chosen = dialog.isChecked("suspendAllNetworks")
                           ? BroadcastSuspension::AllNetworks
                           : 1 << BroadcastSuspension::J1939Network1;
    const QString whose = one ? unit->name() : tr("all units");
    const QString where
        = chosen == BroadcastSuspension::AllNetworks ? tr("all networks") : tr("J1939 network #1");
    if (!m_window->questions()->askConfirm(
            tr("Suspend broadcasts"),
            tr("Stop the broadcasts of %1 on %2?\n\nThey stay stopped while the window holds "
               "them, until you resume them, close the window or the adapter goes away.")
                .arg(whose, where))) {
        m_window->statusBar()->showMessage(tr("Nothing suspended"), 8000);
        return;
    }
    BroadcastSuspension *s = ensureSuspension();
    if (!s)
        return;
    QMetaObject::invokeMethod(s, [s, destination, chosen] { s->slotSuspend(destination, chosen); });
}

void BroadcastActions::resume()
{
    if (BroadcastSuspension *s = m_suspension)
        QMetaObject::invokeMethod(s, [s] { s->slotResume(); });
}

void BroadcastActions::showState(bool suspended, const QString &text)
{
    m_label->setVisible(suspended);
    m_resume->setEnabled(suspended);
    m_window->statusBar()->showMessage(text, 8000);
}
