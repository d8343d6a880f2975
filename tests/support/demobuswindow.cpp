#include "support/demobuswindow.h"

#include "app/busstartup.h"
#include "can/abstractcanhandler.h"
#include "can/canhandlerfactory.h"
#include "can/canthread.h"
#include "can/guimessagenotifier.h"
#include "can/replaycanhandler.h"
#include "descriptions/candevicefactory.h"
#include "diagnostics/offboarddiagnosticdevice.h"
#include "model/abstractdisplayableitem.h"
#include "model/devicedispatcher.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemecontroller.h"
#include "scheme/schemetreemodel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QInputDialog>
#include <QItemSelectionModel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTableView>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

DemoBusWindow::DemoBusWindow() = default;

DemoBusWindow::~DemoBusWindow()
{
    if (m_window) {
        m_window->schemeController()->clearScheme();
        m_window.reset();
    }
    if (m_thread) {
        m_thread->quit();
        m_thread->wait();
    }
}

bool DemoBusWindow::start(const QString &scheme)
{
    m_catalogue = CanDeviceFactory::create();
    m_thread = std::make_unique<CanThread>(CanHandlerFactory::Replay,
                                           CanHandlerFactory::AdapterOptions(),
                                           BusStartup::busThreadHooks(m_catalogue.get()));
    m_thread->start();
    m_thread->waitInit();
    if (!m_thread->canHandler()) {
        QWARN(qPrintable(QStringLiteral("No replay handler: ") + m_thread->initError()));
        return false;
    }
    m_notifier = std::make_unique<GuiMessageNotifier>();
    m_window = std::make_unique<ScriptedMainWindow>();
    m_window->show();
    if (!QTest::qWaitForWindowExposed(m_window.get()))
        return false;
    m_window->attachBus(m_thread->canHandler(), m_notifier.get());
    const BusStartup::Result started
        = BusStartup::run(m_thread->canHandler(), QString(), 250000,
                          [](const QStringList &) { return 0; });
    if (started.exitCode != 0) {
        QWARN(qPrintable(started.errorText));
        return false;
    }
    // The status bar names the connection as the program's start names it.
    m_window->showConnection(CanHandlerFactory::buttonTextSource(CanHandlerFactory::Replay),
                             started.port);
    const QString path
        = scheme.isEmpty() ? QString::fromLatin1(ReplayCanHandler::DemoScheme) : scheme;
    return m_window->openScheme(path);
}

AbstractCanHandler *DemoBusWindow::handler() const
{
    return m_thread ? m_thread->canHandler() : nullptr;
}

DeviceDispatcher *DemoBusWindow::dispatcher() const
{
    return m_thread ? dynamic_cast<DeviceDispatcher *>(m_thread->dispatcher()) : nullptr;
}

SimulatedBus *DemoBusWindow::simulatedBus() const
{
    auto *replay = dynamic_cast<ReplayCanHandler *>(handler());
    return replay ? replay->simulatedBus() : nullptr;
}

QModelIndex DemoBusWindow::row(const QString &name, const QModelIndex &parent) const
{
    const QAbstractItemModel *model = m_window->mainView()->model();
    for (int r = 0; r < model->rowCount(parent); ++r) {
        const QModelIndex index = model->index(r, 0, parent);
        for (int column = 0; column < model->columnCount(parent); ++column) {
            if (model->index(r, column, parent).data().toString() == name)
                return index;
        }
        const QModelIndex below = row(name, index);
        if (below.isValid())
            return below;
    }
    return {};
}

void DemoBusWindow::select(const QModelIndex &index)
{
    QTreeView *view = m_window->mainView();
    view->scrollTo(index);
    view->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

QAction *DemoBusWindow::action(const char *objectName) const
{
    return m_window->findChild<QAction *>(QLatin1String(objectName));
}

QWidget *DemoBusWindow::details() const
{
    auto *panel = m_window->findChild<QScrollArea *>(QStringLiteral("detailsScrollArea"));
    return panel ? panel->widget() : nullptr;
}

QDockWidget *DemoBusWindow::openDetails(const QModelIndex &index)
{
    const auto before = m_window->findChildren<QDockWidget *>();
    select(index);
    action("actionDetails")->trigger();
    for (QDockWidget *dock : m_window->findChildren<QDockWidget *>()) {
        if (!before.contains(dock))
            return waitFor([dock] { return dock->isVisible(); }) ? dock : nullptr;
    }
    return nullptr;
}

bool DemoBusWindow::addFromCatalogue(const QString &name, const char *state)
{
    auto *mode = m_window->findChild<QRadioButton *>(QLatin1String(state));
    auto *view = m_window->findChild<QTableView *>(QStringLiteral("constructorView"));
    if (!mode || !view || !showDock("constructorWindow"))
        return false;
    mode->click();
    // The catalogue follows the current row: the bus's units, or the unit's functions.
    QModelIndex index;
    if (!waitFor([&] { return (index = catalogueRow(name)).isValid(); })) {
        QWARN(qPrintable(QStringLiteral("No \"%1\" in the catalogue").arg(name)));
        return false;
    }
    view->scrollTo(index);
    const QPoint at = view->visualRect(index).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    return true;
}

QModelIndex DemoBusWindow::catalogueRow(const QString &name) const
{
    auto *view = m_window->findChild<QTableView *>(QStringLiteral("constructorView"));
    const QAbstractItemModel *model = view ? view->model() : nullptr;
    for (int r = 0; model && r < model->rowCount(); ++r) {
        for (int c = 0; c < model->columnCount(); ++c) {
            if (model->index(r, c).data().toString() == name)
                return model->index(r, c);
        }
    }
    return {};
}

bool DemoBusWindow::waitFor(const std::function<bool()> &check, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!check()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QTest::qWait(10);
    }
    return true;
}

QModelIndex DemoBusWindow::waitRow(const QString &name, const QModelIndex &parent,
                                   int timeoutMs) const
{
    QModelIndex found;
    waitFor([&] { return (found = row(name, parent)).isValid(); }, timeoutMs);
    return found;
}

QModelIndex DemoBusWindow::unitAt(int address) const
{
    return functionAt(QModelIndex(), QStringLiteral("0x%1").arg(address, 2, 16, QLatin1Char('0')));
}

QModelIndex DemoBusWindow::functionAt(const QModelIndex &unit, const QString &address) const
{
    const QAbstractItemModel *model = m_window->mainView()->model();
    for (int r = 0; r < model->rowCount(unit); ++r) {
        if (model->index(r, 1, unit).data().toString() == address)
            return model->index(r, 0, unit);
    }
    return {};
}

AbstractDisplayableItem *DemoBusWindow::item(const QModelIndex &index) const
{
    AbstractSchemeTreeItem *node = m_window->schemeModel()->item(index);
    return node ? node->displayable() : nullptr;
}

AbstractDisplayableItem *DemoBusWindow::currentItem() const
{
    return item(m_window->mainView()->currentIndex());
}

OffBoardDiagnosticDevice *DemoBusWindow::toolUnit() const
{
    return qobject_cast<OffBoardDiagnosticDevice *>(
        m_window->catalogue()->getDevice(MainWindow::FlasherKey));
}

int DemoBusWindow::unitsAtToolAddress() const
{
    int units = 0;
    for (AbstractSchemeTreeItem *node : m_window->schemeModel()->topLevelItems())
        units += node->displayable()->address().value == m_window->toolAddress().current();
    return units;
}

QAction *DemoBusWindow::treeAction(const char *objectName) const
{
    for (QAction *a : m_window->mainView()->actions()) {
        if (a->objectName() == QLatin1String(objectName))
            return a;
    }
    return nullptr;
}

bool DemoBusWindow::trigger(const char *objectName, const ModalAnswerer::Answer &answer,
                            QString *text)
{
    QAction *a = action(objectName);
    if (!a || !a->isEnabled()) {
        QWARN(qPrintable(QStringLiteral("No enabled %1").arg(QLatin1String(objectName))));
        return false;
    }
    if (!answer) {
        a->trigger();
        return true;
    }
    return ModalAnswerer::run(
        answer, [a] { a->trigger(); }, text);
}

QDockWidget *DemoBusWindow::showDock(const char *objectName)
{
    auto *dock = m_window->findChild<QDockWidget *>(QLatin1String(objectName));
    if (!dock)
        return nullptr;
    if (!dock->isVisible())
        dock->toggleViewAction()->trigger();
    return waitFor([dock] { return dock->isVisible(); }) ? dock : nullptr;
}

QWidget *DemoBusWindow::showDetails(const QModelIndex &index)
{
    select(index);
    if (!showDock("detailsWindow"))
        return nullptr;
    QWidget *editor = nullptr;
    waitFor([&] { return (editor = details()) && editor->isVisible(); });
    return editor;
}

bool DemoBusWindow::saveAndReopen(const QString &path, bool clear)
{
    m_window->fileAnswer = path;
    action("actionSaveAs")->trigger();
    if (!QFile::exists(path))
        return false;
    if (clear)
        action("actionClearScheme")->trigger();
    action("actionOpen")->trigger();
    return true;
}

bool DemoBusWindow::click(QWidget *in, const char *name, const ModalAnswerer::Answer &answer,
                          QString *text)
{
    auto *button = find<QAbstractButton>(in, name);
    if (!button) {
        QStringList there;
        for (const QAbstractButton *b :
             in ? in->findChildren<QAbstractButton *>() : QList<QAbstractButton *>())
            there << b->objectName();
        QWARN(qPrintable(QStringLiteral("No button \"%1\"; there are: %2")
                             .arg(QLatin1String(name), there.join(QStringLiteral(", ")))));
        return false;
    }
    const auto act = [button] { QTest::mouseClick(button, Qt::LeftButton); };
    if (!answer) {
        act();
        return true;
    }
    return ModalAnswerer::run(answer, act, text);
}

void DemoBusWindow::type(QWidget *field, const QString &text)
{
    QTest::mouseClick(field, Qt::LeftButton);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
}

void DemoBusWindow::tick(QCheckBox *box)
{
    QStyleOptionButton option;
    option.initFrom(box);
    const QRect indicator
        = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
    QTest::mouseClick(box, Qt::LeftButton, {}, indicator.center());
}

QString DemoBusWindow::rowText(const QModelIndex &index, int column)
{
    return index.sibling(index.row(), column).data().toString();
}

ModalAnswerer::ModalAnswerer(Answer answer, int timeoutMs)
    : m_answered(std::make_shared<bool>(false))
    , m_title(std::make_shared<QString>())
    , m_text(std::make_shared<QString>())
    , m_alive(std::make_shared<bool>(true))
{
    auto *poll = new QTimer(qApp);
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    QObject::connect(poll, &QTimer::timeout, poll,
                     [poll, started, timeoutMs, answer, answered = m_answered, title = m_title,
                      text = m_text, alive = m_alive] {
        if (!*alive || started->elapsed() > timeoutMs) {
            poll->deleteLater();
            return;
        }
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog || !dialog->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        *title = dialog->windowTitle();
        if (auto *box = qobject_cast<QMessageBox *>(dialog))
            *text = box->text();
        else if (auto *input = qobject_cast<QInputDialog *>(dialog))
            *text = input->labelText();
        *answered = true;
        answer(dialog);
    });
    poll->start(5);
}

ModalAnswerer::~ModalAnswerer()
{
    *m_alive = false;
}

ModalAnswerer::Answer ModalAnswerer::press(const QString &buttonText)
{
    return [buttonText](QWidget *dialog) {
        QString wanted = buttonText;
        wanted.remove(QLatin1Char('&'));
        for (QAbstractButton *button : dialog->findChildren<QAbstractButton *>()) {
            QString label = button->text();
            label.remove(QLatin1Char('&'));
            if (label == wanted && button->isVisible()) {
                button->click();
                return;
            }
        }
        QWARN(qPrintable(QStringLiteral("No button \"%1\" in \"%2\"; rejected")
                             .arg(buttonText, dialog->windowTitle())));
        if (auto *d = qobject_cast<QDialog *>(dialog))
            d->reject();
    };
}

ModalAnswerer::Answer ModalAnswerer::accept()
{
    return [](QWidget *dialog) {
        for (QDialogButtonBox *box : dialog->findChildren<QDialogButtonBox *>()) {
            for (QAbstractButton *button : box->buttons()) {
                if (box->buttonRole(button) == QDialogButtonBox::AcceptRole && button->isVisible()
                    && button->isEnabled()) {
                    button->click();
                    return;
                }
            }
        }
        QWARN(qPrintable(
            QStringLiteral("No accepting button in \"%1\"; rejected").arg(dialog->windowTitle())));
        if (auto *d = qobject_cast<QDialog *>(dialog))
            d->reject();
    };
}

ModalAnswerer::Answer ModalAnswerer::chooseFile(const QString &path)
{
    return [path](QWidget *dialog) {
        auto *files = qobject_cast<QFileDialog *>(dialog);
        if (!files) {
            QWARN(qPrintable(QStringLiteral("\"%1\" is no file dialog").arg(dialog->windowTitle())));
            if (auto *d = qobject_cast<QDialog *>(dialog))
                d->reject();
            return;
        }
        files->selectFile(path);
        static_cast<QDialog *>(files)->accept();
    };
}

bool ModalAnswerer::run(const Answer &answer, const std::function<void()> &act, QString *text)
{
    ModalAnswerer armed(answer);
    act();
    if (text)
        *text = armed.text();
    return armed.answered();
}
