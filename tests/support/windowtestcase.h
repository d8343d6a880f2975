#pragma once

#include "descriptions/candevicefactory.h"
#include "model/devicedispatcher.h"
#include "support/scriptedmainwindow.h"

#include <QObject>
#include <QString>
#include <QTemporaryDir>

#include <memory>

class QAction;

// Base of the test classes that drive a whole scripted main window: its own settings store
// and built-in descriptions only, a dispatcher, a temporary folder, and a fresh window for every
// test function whose scheme is cleared afterwards. Qt Test finds the set-up slots here.
class WindowTestCase : public QObject
{
    Q_OBJECT

public:
    explicit WindowTestCase(const QString &applicationName);
    ~WindowTestCase() override;

protected slots:
    // A test class with its own set-up declares the slot and calls these first.
    void initTestCase();
    void init();
    void cleanup();

protected:
    // The window's action of that object name; null when none.
    QAction *action(const char *objectName) const;

    // A fresh unit catalogue for every test, the bus's while the window lives.
    std::unique_ptr<CanDeviceFactory> m_catalogue;
    std::unique_ptr<DeviceDispatcher> m_dispatcher;
    std::unique_ptr<ScriptedMainWindow> m_window;
    QTemporaryDir m_dir;

private:
    QString m_applicationName;
};
