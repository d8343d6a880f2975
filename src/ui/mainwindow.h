#pragma once

#include <QMainWindow>

class CanLoadBar;
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

public slots:
    void slotTransceiverStateChanged(int state);

private:
    void buildStatusBar();

    QTabWidget *m_tabs = nullptr;
    QTreeView *m_mainView = nullptr;
    QLabel *m_parameterLogCounter = nullptr;
    TrafficCalculator *m_traffic = nullptr;
    CanLoadBar *m_loadBar = nullptr;
    QLabel *m_trafficLabel = nullptr;
    QToolButton *m_transceiverState = nullptr;
};
