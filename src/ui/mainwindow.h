#pragma once

#include "can/abstractcanhandler.h"
#include "can/canhandlerfactory.h"
#include "can/guimessagenotifier.h"
#include "can/tooladdress.h"
#include "model/tpconnection.h"
#include "scheme/schemewindow.h"
#include "ui/userquestions.h"
#include "util/translatabletext.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

class AbstractCanHandler;
class AbstractDisplayableItem;
class AbstractSchemeTreeItem;
class AutoDetector;
class CanDeviceFactory;
class BusCheckActions;
class RecordingPlayer;
class ServiceJobActions;
class CatalogueBar;
class CanLoadBar;
class DeviceConstructorModel;
class DeviceDispatcher;
class DeviceTest;
class DeviceTestDialog;
class DetailsDocks;
class FilterDockWidget;
class LogSaver;
class GuiMessageNotifier;
class ParameterLog;
class ParameterLogRecorder;
class PlotDocks;
class QActionGroup;
class QButtonGroup;
class QDomElement;
class QDockWidget;
class QLabel;
class QMenu;
class QRadioButton;
class QTabWidget;
class QTableView;
class QTimer;
class QToolBar;
class QToolButton;
class QTreeView;
class RawDataModel;
class RawDataView;
class RecentFiles;
class SchemeController;
class SchemeDocument;
class SchemeTreeModel;
class TrafficCalculator;
class UnitActions;
class UserQuestions;
class WindowBuses;

// The program's one window: the scheme tree, the device constructor, raw traffic, filters and
// details docks, the parameter log and the settings. It builds and wires; behaviour lives in the
// models and controllers. GUI thread.
class MainWindow : public QMainWindow, public SchemeWindow
{
    Q_OBJECT

public:
    static constexpr int UiVersion = 4;
    // Factory key of the flashing device that "Add flasher" adds.
    static constexpr const char *FlasherKey = "offboarddiagunit";

    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    static QString defaultTitle();

    // Follows the handler's connection state and the notifier's packs; the scheme's units
    // register with the handler's dispatcher.
    void attachBus(AbstractCanHandler *handler, GuiMessageNotifier *notifier);
    // The dispatcher the scheme's units register with, for a window without a handler.
    void setDispatcher(DeviceDispatcher *dispatcher);
    DeviceDispatcher *dispatcher() const;
    // The adapter of the window's bus (its dispatcher's handler); null without one.
    AbstractCanHandler *handler() const;
    // The unit catalogue of the window's bus; null without a bus.
    CanDeviceFactory *catalogue() const;
    // The address the tool holds on the window's bus.
    const ToolAddress &toolAddress() const;
    // The status bar names the adapter in use and its port.
    void showConnection(const TranslatableText &adapter, const QString &port);
    // The first bus's adapter and port as the status bar names them.
    QString connectionText() const { return m_connection.toString(); }
    // Registers an item with its bus (the first when null) and shows it in the tree, a unit
    // under its bus's row when there are several.
    void addDisplayable(AbstractDisplayableItem *item, DeviceDispatcher *bus = nullptr);
    // A further bus: an adapter of `type` on `port` (asked when empty), shown at the top of the
    // tree with its units; false, with the reason shown, when it cannot start.
    bool addBus(int type, const CanHandlerFactory::AdapterOptions &options, const QString &port,
                unsigned bitRate);
    // The buses beside the first, and the first's share of them.
    WindowBuses *buses() const { return m_buses; }
    // The bus of the current row (the first when none).
    DeviceDispatcher *currentBus() const;
    // What every bus of the window gets: "Decode frames", the transport timings and the tool's
    // address and NAME.
    void configureBus(DeviceDispatcher *bus);

    // What the scheme and its items ask of the window.
    QDockWidget *getDetailsWidgetForPath(const QString &path) override;
    QStringList detailsDockPaths() const override;
    void addDataDock(QDockWidget *dock) override;
    void savePlots(QDomElement &widgets) const override;
    void restorePlots(const QDomElement &widgets) override;
    void closePlots() override;
    QByteArray saveLayout(int version) const override;
    void restoreLayout(const QByteArray &state, int version) override;
    bool addTab(QDomElement &element) override;
    // The "Tree Scheme" tab stays.
    void removeSchemeTabs() override;
    void hideDocksForTabs() override;
    bool askRetry(const QString &title, const QString &text) override;
    bool ensureToolUnit() override;

    QList<QWidget *> schemeTabs() const;
    Qt::DockWidgetArea lastDetailsDockArea() const;
    // Restores the user's layout and options; false when the stored layout version differs.
    bool restoreUiState();
    void saveUiState();
    // Raw functions of groups the buses' databases now describe leave for auto add's.
    void dropRawGroupsNowDescribed();
    // The buses' databases and choices as the scheme's fingerprint sees them.
    QByteArray databasesFingerprint() const;
    // Tells what is wrong with the databases of the scheme just opened.
    void reportDatabaseProblems();
    void refreshConnectionTimeouts();
    void applyToolAddress();
    // The tool's address and NAME from the settings (Options ▸ Tool Address…).
    void restoreToolAddress();
    bool openScheme(const QString &path);

    TrafficCalculator *trafficCalculator() const { return m_traffic; }
    RawDataModel *rawDataModel() const { return m_rawModel; }
    SchemeTreeModel *schemeModel() const { return m_schemeModel; }
    SchemeController *schemeController() const { return m_schemeController; }
    DeviceConstructorModel *constructorModel() const { return m_constructorModel; }
    FilterDockWidget *filterDock() const { return m_filterDock; }
    QTreeView *mainView() const { return m_mainView; }
    ParameterLog *parameterLog() const;
    GuiMessageNotifier *notifier() const { return m_notifier; }
    PlotDocks *plotDocks() const { return m_plotDocks; }

    // Who answers the window's questions: dialogs unless replaced (tests answer them). The
    // window does not own a replacement; null goes back to the dialogs.
    UserQuestions *questions() const { return m_questions; }
    void setQuestions(UserQuestions *questions);
    using SaveChoice = UserQuestions::SaveChoice;

    // Unsaved changes and the recently used schemes.
    SchemeDocument *schemeDocument() const { return m_schemeDocument; }
    RecentFiles *recentFiles() const { return m_recentFiles; }
    // Asks Save/Discard/Cancel when the scheme differs from its file; false means stay. Open,
    // Clear Scheme and closing pass here, so it also asks before abandoning a program transfer.
    bool maybeSaveChanges();
    // Asks before an action abandons a running program transfer under one of these items (the
    // whole scheme when empty); true when none runs or the engineer agrees.
    bool confirmAbandonTransfers(const QList<AbstractDisplayableItem *> &scope = {});
    // The dialog of a running test that acts on one of these items (any running test when
    // empty); null when there is none.
    DeviceTestDialog *runningTest(const QList<AbstractDisplayableItem *> &scope = {}) const;
    // Asks before an action ends the running test; true when the engineer agrees.
    bool confirmCloseTest(DeviceTestDialog *dialog);
    // Stops the test, puts back what it wrote while its units still exist, closes its dialog.
    void closeTest(DeviceTestDialog *dialog);
    // Where scheme file dialogs start: the current file, else beside the last one used.
    QString schemeDialogStart() const;
    // Shows the test in its dialog, which runs it; one test at a time: while one runs, its
    // dialog comes forward and this test is dropped.
    void startTest(DeviceTest *test);
    CatalogueBar *catalogueBar() const { return m_catalogueBar; }
    UnitActions *unitActions() const { return m_unitActions; }
    BusCheckActions *busCheck() const { return m_busCheck; }
    RecordingPlayer *player() const { return m_player; }
    ServiceJobActions *jobActions() const { return m_jobActions; }
    // The title names the scheme, whether it changed, and the service job.
    void updateTitle();

public slots:
    void slotTransceiverStateChanged(int state);
    void slotAutoAddChanged(bool on);
    void slotCheckForNewDevices(const AbstractCanHandler::MessagePack &pack);
    void slotOnMainViewRowChanged(const QModelIndex &current);
    void slotOnMainViewSelectionChanged();
    void slotOnRawDataViewSelectionChanged();
    void slotOnConstructorViewCurrentRowChanged(const QModelIndex &current);
    // Titles of the Details panel and of the detail docks follow renamed items.
    void slotRefreshDetailsTitles();

    void on_constructorView_activated(const QModelIndex &index);
    void on_actionOpen_triggered();
    void on_actionSave_triggered();
    void on_actionSaveAs_triggered();
    void on_actionTest_triggered();
    void on_actionAddFlasher_triggered();
    void on_actionSetTransmissionInterval_triggered();
    void on_actionRename_triggered();
    void on_actionDeleteDevice_triggered();
    void on_actionDetails_triggered();
    void on_actionFilterOn_triggered();
    void on_actionFilterOff_triggered();
    void on_actionSend_triggered();
    void on_actionReceive_triggered();
    void on_actionSaveLog_triggered();
    void on_actionStartParameterLog_toggled(bool on);
    void on_actionParameter_Log_Period_triggered();
    void on_actionParameter_Log_Directory_triggered();
    void on_actionConnectionTimeouts_triggered();
    void on_actionDatabases_triggered();
    void on_actionToolAddress_triggered();
    void on_actionClearScheme_triggered();
    void on_actionPlot_triggered();
    void on_actionOpenParameterLog_triggered();
    void on_actionPlotWindow_triggered();
    void openRecentScheme(const QString &path);
    // "Save log" ended: saved, failed or cancelled.
    void logSaved(bool ok);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // The notifier's interval kept in the settings, once both are there.
    void applyNotifyInterval();
    // A transmission period below the safe minimum is used only when the user says yes.
    bool confirmShortPeriod(int periodMs);
    // The Save/Discard/Cancel part of maybeSaveChanges.
    bool saveOrDiscardChanges();
    void buildForm();
    void buildActions();
    void buildMenus();
    void buildLanguageMenu();
    void buildStatusBar();
    void buildDocks();
    void buildConstructorDock();
    void buildRawDataDock();
    void wireViews();
    QAction *action(const char *objectName, const QString &text, const char *shortcut = nullptr);
    AbstractSchemeTreeItem *currentNode() const;
    QList<AbstractSchemeTreeItem *> selectedNodes() const;
    void setSelectedFiltered(bool on);
    void selectNode(AbstractSchemeTreeItem *node);
    // Replaces the scheme by the entry's test scheme (asking first) and makes its test.
    DeviceTest *loadTestScheme(const QModelIndex &index);
    // Deletes the node's item from the scheme, asking first (transfers, tests, the deletion
    // itself: `question`); false when the engineer declines.
    bool deleteNode(AbstractSchemeTreeItem *node, const QString &title, const QString &question);
    // Adds the tool unit (flashing and identification) at its free address and selects it.
    void addFlasherUnit(DeviceDispatcher *bus);
    // Test is there for a testable kind chosen among the units in Devices or a unit with a test
    // current in the tree.
    void updateTestAction();
    void buildSchemeDocument();
    bool saveSchemeTo(QString path);
    // Save (to the current file when it can be written) or Save As; false when nothing was saved.
    bool saveScheme(bool askName);

    std::unique_ptr<UserQuestions> m_dialogs;
    UserQuestions *m_questions = nullptr;
    QPointer<GuiMessageNotifier> m_notifier;
    // The notifier's interval kept in the settings, applied once a notifier is attached; 0 none.
    int m_notifyInterval = 0;
    // The engineer's transport timings (the settings'), given to the window's bus.
    TPConnection::Timing m_transportTiming;
    // The address the tool claims first and its NAME's identity number (the settings').
    quint8 m_toolPreferred = ToolAddress::Default;
    quint32 m_toolIdentity = ToolAddress::DefaultIdentityNumber;
    ParameterLogRecorder *m_parameterLog = nullptr;
    SchemeTreeModel *m_schemeModel = nullptr;
    DeviceConstructorModel *m_constructorModel = nullptr;
    RawDataModel *m_rawModel = nullptr;
    LogSaver *m_logSaver = nullptr;
    QToolButton *m_transceiverState = nullptr;
    FilterDockWidget *m_filterDock = nullptr;
    DetailsDocks *m_details = nullptr;
    SchemeController *m_schemeController = nullptr;
    SchemeDocument *m_schemeDocument = nullptr;
    RecentFiles *m_recentFiles = nullptr;
    QString m_selectedSaveFilter; // the file type last chosen in a save dialog
    PlotDocks *m_plotDocks = nullptr;
    CatalogueBar *m_catalogueBar = nullptr;
    UnitActions *m_unitActions = nullptr;
    BusCheckActions *m_busCheck = nullptr;
    RecordingPlayer *m_player = nullptr;
    ServiceJobActions *m_jobActions = nullptr;
    WindowBuses *m_buses = nullptr;

    TrafficCalculator *m_traffic = nullptr;
    CanLoadBar *m_loadBar = nullptr;
    QLabel *m_trafficLabel = nullptr;
    QLabel *m_connectionLabel = nullptr;
    TranslatableText m_connection; // the label's text in the words of the code, for the job
    AutoDetector *m_autoDetector = nullptr;
    QTimer *m_updateTimer = nullptr;

    // Form objects.
    QTabWidget *m_tabs = nullptr;
    QList<QPointer<QWidget>> m_schemeTabs;
    QTreeView *m_mainView = nullptr;
    QDockWidget *m_constructorWindow = nullptr;
    QTableView *m_constructorView = nullptr;
    QButtonGroup *m_initialStateGroup = nullptr;
    QDockWidget *m_rawDataWindow = nullptr;
    RawDataView *m_rawDataView = nullptr;
    QToolBar *m_mainToolBar = nullptr;
    QMenu *m_menuFile = nullptr;
    QMenu *m_menuOptions = nullptr;
    QMenu *m_menuWindows = nullptr;
    QMenu *m_menuDevice = nullptr;
};
