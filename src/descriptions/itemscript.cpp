#include "descriptions/itemscript.h"

#include "model/abstractdisplayableitem.h"

#include <QDebug>
#include <QScriptEngineAgent>

#include <atomic>

namespace {
std::atomic<int> s_timeLimitMs{250};
}

// Aborts an evaluation that runs past the time limit; checked at every statement.
class ScriptWatchdog : public QScriptEngineAgent
{
public:
    explicit ScriptWatchdog(QScriptEngine *engine)
        : QScriptEngineAgent(engine)
    {
    }
    void arm() { m_clock.start(); }
    bool fired() const { return m_fired; }
    void reset() { m_fired = false; }
    void positionChange(qint64, int, int) override { check(); }
    void functionEntry(qint64) override { check(); }

private:
    void check()
    {
        if (!m_fired && m_clock.isValid() && m_clock.elapsed() > s_timeLimitMs.load()) {
            m_fired = true;
            engine()->abortEvaluation();
        }
    }

    QElapsedTimer m_clock;
    bool m_fired = false;
};

ItemScriptInterface::ItemScriptInterface(AbstractDisplayableItem *item, QObject *parent)
    : QObject(parent)
    , m_item(item)
{
}

QVariant ItemScriptInterface::parameterValue(QString pname)
{
    return m_item->parameterValue(pname);
}

void ItemScriptInterface::setParameterValue(QString pname, QVariant value)
{
    m_item->setParameterValue(pname, value);
}

bool ItemScriptInterface::setState(int v)
{
    return m_item->setState(v);
}

void ItemScriptInterface::transmitState()
{
    m_item->transmitState();
}

void ItemScriptInterface::setTransmissionInterval(int p)
{
    m_item->setTransmissionInterval(p);
}

void ItemScriptInterface::updateState()
{
    m_item->setUpdateNeeded();
}

void ItemScriptInterface::update()
{
    m_item->setUpdateNeeded();
}

void ItemScript::setTimeLimitMs(int ms)
{
    s_timeLimitMs.store(ms);
}

int ItemScript::timeLimitMs()
{
    return s_timeLimitMs.load();
}

ItemScript::ItemScript(AbstractDisplayableItem *item, const QString &source)
    : QObject(item)
    , m_item(item)
    , m_engine(new QScriptEngine(this))
    , m_interface(new ItemScriptInterface(item, this))
    , m_watchdog(std::make_unique<ScriptWatchdog>(m_engine))
{
    m_engine->setAgent(m_watchdog.get());
    const QScriptEngine::QObjectWrapOptions options
        = QScriptEngine::ExcludeChildObjects | QScriptEngine::ExcludeSuperClassContents
          | QScriptEngine::ExcludeDeleteLater;
    m_this = m_engine->newQObject(m_interface, QScriptEngine::QtOwnership, options);
    m_engine->globalObject().setProperty(QStringLiteral("xmlfunc"), m_this);
    m_watchdog->arm();
    m_engine->evaluate(source, QString(), 1);
    if (!finish("evaluation"))
        return;
    m_transmit = m_engine->globalObject().property(QStringLiteral("transmit"));
    m_dispatch = m_engine->globalObject().property(QStringLiteral("dispatch"));
    connect(item, &AbstractDisplayableItem::scriptTransmit, this, &ItemScript::runTransmitHook,
            Qt::DirectConnection);
    connect(item, &AbstractDisplayableItem::scriptDispatch, this, &ItemScript::runDispatchHook,
            Qt::DirectConnection);
}

ItemScript::~ItemScript()
{
    m_engine->setAgent(nullptr);
}

bool ItemScript::finish(const char *what)
{
    if (m_watchdog->fired()) {
        qWarning("Script of %s aborted after %d ms in %s; script disabled",
                 qUtf8Printable(m_item->objectName()), s_timeLimitMs.load(), what);
        m_enabled = false;
        m_watchdog->reset();
        m_engine->clearExceptions();
        return false;
    }
    if (m_engine->hasUncaughtException()) {
        qWarning("Script of %s failed in %s: %s (line %d)", qUtf8Printable(m_item->objectName()),
                 what, qUtf8Printable(m_engine->uncaughtException().toString()),
                 m_engine->uncaughtExceptionLineNumber());
        m_engine->clearExceptions();
    }
    return true;
}

void ItemScript::run(QScriptValue function, const char *hook)
{
    // A hook that transmits or dispatches again must not start itself over.
    if (!m_enabled || m_running || !function.isFunction())
        return;
    m_running = true;
    m_watchdog->arm();
    function.call(m_this);
    finish(hook);
    m_running = false;
}

void ItemScript::runTransmitHook()
{
    run(m_transmit, "transmit");
}

void ItemScript::runDispatchHook()
{
    run(m_dispatch, "dispatch");
}
