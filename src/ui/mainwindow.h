#pragma once

#include <QMainWindow>

class CanLoadBar;
class FilterDockWidget;
class QAction;
class QDockWidget;
class QTableView;
class RawDataModel;
class QLabel;
class QTabWidget;
class QToolButton;
class QTreeView;
class TrafficCalculator;
class GuiMessageNotifier;
class AbstractCanHandler;

// The program's one window. GUI thread.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    static MainWindow *instance();
    static QString defaultTitle();

    // Follows the handler's connection state and the notifier's packs.
    void attachBus(AbstractCanHandler *handler, GuiMessageNotifier *notifier);
    TrafficCalculator *trafficCalculator() const { return m_traffic; }
    RawDataModel *rawDataModel() const { return m_rawModel; }

public slots:
    void slotTransceiverStateChanged(int state);

private:
    void buildStatusBar();
    void buildRawView();

    QTabWidget *m_tabs = nullptr;
    QTreeView *m_mainView = nullptr;
    QLabel *m_parameterLogCounter = nullptr;
    TrafficCalculator *m_traffic = nullptr;
    CanLoadBar *m_loadBar = nullptr;
    QLabel *m_trafficLabel = nullptr;
    QToolButton *m_transceiverState = nullptr;
    RawDataModel *m_rawModel = nullptr;
    QDockWidget *m_rawDock = nullptr;
    QTableView *m_rawView = nullptr;
    FilterDockWidget *m_filterDock = nullptr;
    QAction *m_rawEnable = nullptr;
    QAction *m_rawClear = nullptr;
};
