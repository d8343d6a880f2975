#pragma once

#include "support/scriptedmainwindow.h"

#include <QModelIndex>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class AbstractCanHandler;
class CanThread;
class CanDeviceFactory;
class DeviceDispatcher;
class GuiMessageNotifier;
class AbstractDisplayableItem;
class OffBoardDiagnosticDevice;
class QAction;
class SimulatedBus;
class QCheckBox;
class QDockWidget;

// Answers the next modal dialog the code under test opens (a message box, a file dialog, an
// input dialog) as the user would: the answer function gets the dialog once it is shown.
class ModalAnswerer
{
public:
    using Answer = std::function<void(QWidget *dialog)>;
    // Arms the answer; the dialog is looked for every few milliseconds until timeoutMs.
    explicit ModalAnswerer(Answer answer, int timeoutMs = 10000);
    ~ModalAnswerer();
    bool answered() const { return *m_answered; }
    // The title and text of the dialog that was answered.
    QString title() const { return *m_title; }
    QString text() const { return *m_text; }

    // Ready-made answers: press the message box's button with this text ("&Yes" or "Yes"),
    // choose this file in a file dialog.
    static Answer press(const QString &buttonText);
    // Press the button that accepts the dialog (OK, Start job …), whatever its language.
    static Answer accept();
    static Answer chooseFile(const QString &path);
    // Arms `answer`, runs `act` (which opens the dialog): whether the dialog came and was
    // answered; its text in *text.
    static bool run(const Answer &answer, const std::function<void()> &act,
                    QString *text = nullptr);

private:
    std::shared_ptr<bool> m_answered;
    std::shared_ptr<QString> m_title;
    std::shared_ptr<QString> m_text;
    std::shared_ptr<bool> m_alive;
};

// The program as the README starts it on the demo bus: the bus thread with the replay adapter on
// the built-in recording and its simulated units, the notifier, a scripted window attached to the
// bus and the example scheme opened. Walkthrough tests drive it the way the user does.
class DemoBusWindow
{
public:
    DemoBusWindow();
    ~DemoBusWindow();

    // Starts the bus and opens the scheme (the example scheme when empty); false with a QWARN.
    bool start(const QString &scheme = QString());
    ScriptedMainWindow *window() const { return m_window.get(); }
    AbstractCanHandler *handler() const;
    DeviceDispatcher *dispatcher() const;
    // The demo's simulated units, which a test adds its own beside; null when none.
    SimulatedBus *simulatedBus() const;

    // The tree row whose name column reads name, below parent (any depth); invalid when none.
    QModelIndex row(const QString &name, const QModelIndex &parent = QModelIndex()) const;
    // Makes the row current and selected in the scheme tree as a click would.
    void select(const QModelIndex &index);
    QAction *action(const char *objectName) const;
    // The editor the Details panel shows for the current row.
    QWidget *details() const;
    // Selects the row, then triggers Details (Ctrl+D): the dock that opens, once shown.
    QDockWidget *openDetails(const QModelIndex &index);
    // Devices (Ctrl+B) shown, the initial state chosen by its button's object name, the
    // catalogue row `name` double-clicked; false with a QWARN when there is none.
    bool addFromCatalogue(const QString &name, const char *state = "addModeSendButton");
    // The cell of the Devices catalogue that reads `name`; invalid when none.
    QModelIndex catalogueRow(const QString &name) const;
    // Runs until check() holds or timeoutMs passes, handling events meanwhile.
    static bool waitFor(const std::function<bool()> &check, int timeoutMs = 5000);

    // The steps a walkthrough is written in, one user's step each.
    // The row `name` below parent once it has turned up; invalid after timeoutMs.
    QModelIndex waitRow(const QString &name, const QModelIndex &parent = QModelIndex(),
                        int timeoutMs = 5000) const;
    // The top-level row of the unit whose address column reads this source address.
    QModelIndex unitAt(int address) const;
    // The row below unit whose address column reads address ("0xf004").
    QModelIndex functionAt(const QModelIndex &unit, const QString &address) const;
    // The item a row shows, and that of the current row.
    AbstractDisplayableItem *item(const QModelIndex &index) const;
    AbstractDisplayableItem *currentItem() const;
    // The tool unit the window added (Add flasher, a unit's service entries); null before.
    OffBoardDiagnosticDevice *toolUnit() const;
    // How many of the tree's units are at the tool's address.
    int unitsAtToolAddress() const;
    // An action of the tree's context menu.
    QAction *treeAction(const char *objectName) const;
    // Triggers the window's action (with `answer` armed for the dialog it opens): false when
    // there is no such action, it is disabled, or the dialog did not come.
    bool trigger(const char *objectName, const ModalAnswerer::Answer &answer = {},
                 QString *text = nullptr);
    // Shows the dock as its entry of the Windows menu does (the example's tab hides the docks).
    QDockWidget *showDock(const char *objectName);
    // Selects the row with the Details panel shown: the editor the panel shows, once shown.
    QWidget *showDetails(const QModelIndex &index);
    // File > Save As to path, then (after Clear Scheme when `clear`) File > Open of it; whether
    // the file was written.
    bool saveAndReopen(const QString &path, bool clear = true);

    // Steps within a panel or dialog. The child named `name`; null when none.
    template<typename T = QWidget>
    static T *find(QWidget *in, const char *name)
    {
        return in ? in->findChild<T *>(QLatin1String(name)) : nullptr;
    }
    // Clicks the button `name` with the mouse (with `answer` armed for the dialog it opens):
    // false when there is none, naming the buttons there, or the dialog did not come.
    static bool click(QWidget *in, const char *name, const ModalAnswerer::Answer &answer = {},
                      QString *text = nullptr);
    // Clicks into the field, replaces its text by typing and presses Enter.
    static void type(QWidget *field, const QString &text);
    // Clicks a check box on its box, where the user clicks (a form stretches it wider).
    static void tick(QCheckBox *box);
    // What the row reads in column (the data column unless told).
    static QString rowText(const QModelIndex &index, int column = 3);

private:
    // The bus's unit catalogue: outlives the bus thread and the window.
    std::unique_ptr<CanDeviceFactory> m_catalogue;
    std::unique_ptr<CanThread> m_thread;
    std::unique_ptr<GuiMessageNotifier> m_notifier;
    std::unique_ptr<ScriptedMainWindow> m_window;
};
