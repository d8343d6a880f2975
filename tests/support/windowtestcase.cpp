#include "support/windowtestcase.h"

#include "descriptions/candevicefactory.h"
#include "scheme/schemecontroller.h"
#include "support/testenvironment.h"

#include <QAction>
#include <QSettings>
#include <QtTest>

WindowTestCase::WindowTestCase(const QString &applicationName)
    : m_applicationName(applicationName)
{}

WindowTestCase::~WindowTestCase() = default;

void WindowTestCase::initTestCase()
{
    TestEnvironment::initSchemeTests(m_applicationName);
    m_dispatcher = std::make_unique<DeviceDispatcher>();
    QVERIFY(m_dir.isValid());
}

void WindowTestCase::init()
{
    m_catalogue = CanDeviceFactory::create();
    m_dispatcher->setCatalogue(m_catalogue.get());
    m_window = std::make_unique<ScriptedMainWindow>();
    m_window->setDispatcher(m_dispatcher.get());
}

void WindowTestCase::cleanup()
{
    // A test may have closed the window itself.
    if (m_window)
        m_window->schemeController()->clearScheme();
    m_window.reset();
    m_dispatcher->setCatalogue(nullptr);
    m_catalogue.reset();
    QSettings().clear();
}

QAction *WindowTestCase::action(const char *objectName) const
{
    return m_window ? m_window->findChild<QAction *>(QLatin1String(objectName)) : nullptr;
}
