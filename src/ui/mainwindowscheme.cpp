// The scheme-document side of the main window: unsaved changes, the questions before they are
// lost, the window title, the recently used schemes, and what a scheme asks of its window.
#include "ui/mainwindow.h"

#include "descriptions/deviceconstructormodel.h"
#include "devicetests/devicetest.h"
#include "devicetests/editors/devicetestdialog.h"
#include "diagnostics/canflashingfunctionv1.h"
#include "model/descriptiontext.h"
#include "model/transmissionperiod.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/editors/multixmlitemwidget.h"
#include "scheme/schemecontroller.h"
#include "scheme/schemedocument.h"
#include "scheme/schemetreemodel.h"
#include "ui/detailsdocks.h"
#include "ui/editors/plotdocks.h"
#include "ui/recentfiles.h"
#include "ui/servicejobactions.h"
#include "ui/unitactions.h"

#include <QAction>
#include <QCloseEvent>
#include <QDockWidget>
#include <QDomElement>
#include <QFileInfo>
#include <QMenu>
#include <QScrollArea>
#include <QStatusBar>
#include <QTabWidget>

void MainWindow::buildSchemeDocument()
{
    m_schemeDocument = new SchemeDocument(m_schemeModel, this);
    m_recentFiles = new RecentFiles(this);
    connect(m_schemeDocument, &SchemeDocument::modifiedChanged, this, &MainWindow::updateTitle);
    connect(m_schemeDocument, &SchemeDocument::filePathChanged, this, &MainWindow::updateTitle);
    // An expectation applied in Details changes the scheme but no row of the tree.
    connect(m_details, &DetailsDocks::expectationChanged, m_schemeDocument,
            &SchemeDocument::check);
    connect(m_recentFiles, &RecentFiles::fileChosen, this, &MainWindow::openRecentScheme);
    m_schemeDocument->setSettingsFingerprint([this] { return databasesFingerprint(); });
    // Offered right after Save As.
    QMenu *recent = m_recentFiles->createMenu(tr("Recent schemes"), m_menuFile);
    recent->menuAction()->setObjectName(QStringLiteral("menuRecentSchemes"));
    const QList<QAction *> actions = m_menuFile->actions();
    const int save = actions.indexOf(findChild<QAction *>(QStringLiteral("actionSaveAs")));
    m_menuFile->insertMenu(actions.value(save + 1), recent);
    // A cleared or newly opened scheme leaves no item in the Details dock.
    connect(m_schemeModel, &QAbstractItemModel::modelReset, this,
            [this] { slotOnMainViewRowChanged(QModelIndex()); });
    updateTitle();
}

void MainWindow::updateTitle()
{
    const QString job = m_jobActions ? m_jobActions->titleText() : QString();
    setWindowTitle(job.isEmpty() ? QStringLiteral("%1[*] \u2014 %2")
                                       .arg(m_schemeDocument->displayName(), defaultTitle())
                                 : QStringLiteral("%1[*] \u2014 %2 \u2014 %3")
                                       .arg(m_schemeDocument->displayName(), job, defaultTitle()));
    setWindowModified(m_schemeDocument->isModified());
}

QString MainWindow::schemeDialogStart() const
{
    if (m_schemeDocument->hasWritableFile())
        return m_schemeDocument->filePath();
    return m_recentFiles->lastDirectory();
}

bool MainWindow::saveSchemeTo(QString path)
{
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".tvsx");
    if (!m_schemeController->serialize(path))
        return false;
    m_schemeDocument->setClean(path);
    m_recentFiles->add(path);
    statusBar()->showMessage(tr("Scheme saved to %1").arg(path), 5000);
    return true;
}

bool MainWindow::confirmAbandonTransfers(const QList<AbstractDisplayableItem *> &scope)
{
    QList<AbstractDisplayableItem *> items = scope;
    if (items.isEmpty()) {
        for (AbstractSchemeTreeItem *node : m_schemeModel->unitNodes()) {
            if (node->displayable())
                items << node->displayable();
        }
    }
    QStringList targets;
    for (AbstractDisplayableItem *item : qAsConst(items)) {
        if (!item)
            continue;
        QList<AbstractDisplayableItem *> family = item->descendants();
        family << item;
        QList<CanFlashingFunctionV1 *> flashers;
        for (AbstractDisplayableItem *member : qAsConst(family)) {
            if (auto *flasher = qobject_cast<CanFlashingFunctionV1 *>(member))
                flashers << flasher;
        }
        for (const CanFlashingFunctionV1 *flasher : qAsConst(flashers)) {
            if (flasher->isFlashing())
                targets << QStringLiteral("0x%1").arg(flasher->target(), 2, 16, QLatin1Char('0'));
        }
    }
    if (targets.isEmpty())
        return true;
    return m_questions->askConfirm(
        tr("Boot loading"),
        tr("The program of unit %1 is being replaced. Stopping now leaves the unit "
           "in its boot loader without a program. Abandon the transfer?")
            .arg(targets.join(QStringLiteral(", "))));
}

DeviceTestDialog *MainWindow::runningTest(const QList<AbstractDisplayableItem *> &scope) const
{
    auto *dialog = findChild<DeviceTestDialog *>();
    DeviceTest *test = dialog ? dialog->test() : nullptr;
    if (!test || !test->isRunning())
        return nullptr;
    if (scope.isEmpty())
        return dialog;
    for (const AbstractDisplayableItem *item : scope) {
        if (test->involves(item))
            return dialog;
    }
    return nullptr;
}

bool MainWindow::confirmCloseTest(DeviceTestDialog *dialog)
{
    const AbstractDisplayableItem *device = dialog->test() ? dialog->test()->device() : nullptr;
    return m_questions->askConfirm(
        tr("Test"), tr("The test of %1 is running. Stop it, put back the values it wrote and "
                       "close it?")
                        .arg(device ? device->name() : QString()));
}

void MainWindow::closeTest(DeviceTestDialog *dialog)
{
    if (!dialog)
        return;
    if (DeviceTest *test = dialog->test())
        test->stop();
    dialog->close();
}

bool MainWindow::maybeSaveChanges()
{
    if (!confirmAbandonTransfers())
        return false;
    DeviceTestDialog *test = runningTest();
    if (test && !confirmCloseTest(test))
        return false;
    if (!saveOrDiscardChanges())
        return false;
    closeTest(test);
    return true;
}

bool MainWindow::saveOrDiscardChanges()
{
    if (!m_schemeDocument->check())
        return true;
    switch (m_questions->askSaveChanges(tr("Unsaved changes"), m_schemeDocument->changesQuestion(),
                                        m_schemeDocument->displayName())) {
    case SaveChoice::Discard:
        return true;
    case SaveChoice::Cancel:
        return false;
    case SaveChoice::Save:
        break;
    }
    return saveScheme(false);
}

bool MainWindow::saveScheme(bool askName)
{
    // The built-in example scheme is never written over: Save on it asks for a file like Save As.
    QString path = m_schemeDocument->filePath();
    if (askName || !m_schemeDocument->hasWritableFile())
        path = m_questions->askSaveFileName(tr("Save scheme"), tr("Tarvik scheme XML (*.tvsx)"),
                                            schemeDialogStart(), &m_selectedSaveFilter);
    return !path.isEmpty() && saveSchemeTo(path);
}

void MainWindow::on_actionClearScheme_triggered()
{
    if (!maybeSaveChanges())
        return;
    m_schemeController->clearScheme();
    m_constructorModel->refresh();
    m_schemeDocument->setClean(QString());
}

void MainWindow::openRecentScheme(const QString &path)
{
    if (!maybeSaveChanges())
        return;
    if (!QFileInfo::exists(path)) {
        m_questions->showError(tr("Open scheme"), tr("Scheme %1 no longer exists").arg(path));
        m_recentFiles->remove(path);
        return;
    }
    openScheme(path);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!maybeSaveChanges()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

QByteArray MainWindow::saveLayout(int version) const
{
    return saveState(version);
}

void MainWindow::restoreLayout(const QByteArray &state, int version)
{
    restoreState(state, version);
}

bool MainWindow::askRetry(const QString &title, const QString &text)
{
    return m_questions->askRetry(title, text);
}

bool MainWindow::ensureToolUnit()
{
    return m_unitActions && m_unitActions->ensureToolReceiver();
}

bool MainWindow::confirmShortPeriod(int periodMs)
{
    const QString text
        = tr("A period of %1 ms is shorter than %2 ms: this item alone can take much of the bus.\n"
             "Use %1 ms?")
              .arg(periodMs)
              .arg(TransmissionPeriod::MinimumMs);
    return m_questions->askConfirm(tr("Period"), text);
}

bool MainWindow::addTab(QDomElement &element)
{
    const QString name = element.attribute(QStringLiteral("name"));
    auto *panel = new MultiXmlItemWidget(element, m_schemeModel);
    if (panel->builtCells() == 0) {
        qWarning("Tab \"%s\" left out: none of its items is in the scheme", qUtf8Printable(name));
        delete panel;
        return false;
    }
    auto *area = new QScrollArea;
    area->setObjectName(QStringLiteral("schemeTab"));
    area->setWidgetResizable(true);
    area->setWidget(panel);
    m_tabs->addTab(area, DescriptionText::translated(name));
    m_schemeTabs.append(area);
    return true;
}

void MainWindow::removeSchemeTabs()
{
    for (const QPointer<QWidget> &tab : qAsConst(m_schemeTabs))
        delete tab.data();
    m_schemeTabs.clear();
}

void MainWindow::hideDocksForTabs()
{
    // The scheme's own plots stay: the Windows menu offers no way back to them.
    for (QDockWidget *dock : findChildren<QDockWidget *>()) {
        if (!dock->objectName().endsWith(QLatin1String(PlotDocks::DockSuffix)))
            dock->hide();
    }
}

QList<QWidget *> MainWindow::schemeTabs() const
{
    QList<QWidget *> tabs;
    for (const QPointer<QWidget> &tab : m_schemeTabs) {
        if (tab)
            tabs.append(tab.data());
    }
    return tabs;
}
