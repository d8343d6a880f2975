#pragma once

#include "support/scriptedmainwindow.h"

#include <QModelIndex>
#include <QString>

#include <functional>
#include <memory>

class AbstractCanHandler;
class CanThread;
class CanDeviceFactory;
class DeviceDispatcher;
class GuiMessageNotifier;
class QAction;
class QDockWidget;
class QWidget;

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

    // The tree row whose name column reads name, below parent (any depth); invalid when none.
    QModelIndex row(const QString &name, const QModelIndex &parent = QModelIndex()) const;
    // Makes the row current and selected in the scheme tree as a click would.
    void select(const QModelIndex &index);
    QAction *action(const char *objectName) const;
    // The editor the Details panel shows for the current row.
    QWidget *details() const;
    // Selects the row, then triggers Details (Ctrl+D): the dock that opens.
    QDockWidget *openDetails(const QModelIndex &index);
    // Devices (Ctrl+B) shown, the initial state chosen by its button's object name, the
    // catalogue row `name` double-clicked; false with a QWARN when there is none.
    bool addFromCatalogue(const QString &name, const char *state = "addModeSendButton");
    // Runs until check() holds or timeoutMs passes, handling events meanwhile.
    static bool waitFor(const std::function<bool()> &check, int timeoutMs = 5000);

private:
    // The bus's unit catalogue: outlives the bus thread and the window.
    std::unique_ptr<CanDeviceFactory> m_catalogue;
    std::unique_ptr<CanThread> m_thread;
    std::unique_ptr<GuiMessageNotifier> m_notifier;
    std::unique_ptr<ScriptedMainWindow> m_window;
};

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
    // choose this file in a file dialog, type this into an input dialog and press OK.
    static Answer press(const QString &buttonText);
    // Press the button that accepts the dialog (OK, Start job …), whatever its language.
    static Answer accept();
    static Answer chooseFile(const QString &path);
    static Answer enterText(const QString &text);

private:
    std::shared_ptr<bool> m_answered;
    std::shared_ptr<QString> m_title;
    std::shared_ptr<QString> m_text;
    std::shared_ptr<bool> m_alive;
};
