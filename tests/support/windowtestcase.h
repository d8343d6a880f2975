#pragma once

#include "model/devicedispatcher.h"
#include "ui/mainwindow.h"

#include <QObject>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// Base of the test classes that drive a whole main window over schemes: its own settings store
// and built-in descriptions only, a dispatcher, a temporary folder, and a fresh window for every
// test function whose scheme is cleared afterwards. Qt Test finds the set-up slots here.
class WindowTestCase : public QObject
{
    Q_OBJECT

public:
    explicit WindowTestCase(const QString &applicationName);
    ~WindowTestCase() override;

private slots:
    void initTestCase();
    void init();
    void cleanup();

protected:
    std::unique_ptr<DeviceDispatcher> m_dispatcher;
    std::unique_ptr<MainWindow> m_window;
    QTemporaryDir m_dir;

private:
    QString m_applicationName;
};
