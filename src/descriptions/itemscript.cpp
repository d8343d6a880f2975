#include "descriptions/itemscript.h"

#include "model/abstractdisplayableitem.h"

#include <QDebug>

#include <atomic>

namespace {
std::atomic<int> s_timeLimitMs{250};
}

ItemScriptInterface::ItemScriptInterface(AbstractDisplayableItem *item, QObject *parent)
    : QObject(parent)
    , m_item(item)
{}

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
    , m_watchdog(this)
{
    // The engine looks at its events every few milliseconds while it runs, so the watchdog can
    // stop even an empty endless loop.
    m_engine->setProcessEventsInterval(20);
    m_watchdog.setSingleShot(true);
    connect(&m_watchdog, &QTimer::timeout, this, &ItemScript::abortRunaway);

    // Scripts see a plain object whose functions call the item's interface; the wrapped QObject
    // itself (with its findChild, signals and QObject members) stays out of their reach.
    const QScriptValue wrapper = m_engine->newQObject(m_interface, QScriptEngine::QtOwnership,
                                                      QScriptEngine::ExcludeChildObjects
                                                          | QScriptEngine::ExcludeSuperClassContents
                                                          | QScriptEngine::ExcludeDeleteLater);
    QScriptValue makeApi = m_engine->evaluate(
        QStringLiteral("(function (w) { return {"
                       " parameterValue: function (n) { return w.parameterValue(n); },"
                       " setParameterValue: function (n, v) { w.setParameterValue(n, v); },"
                       " setState: function (s) { return w.setState(s); },"
                       " transmitState: function () { w.transmitState(); },"
                       " setTransmissionInterval: function (p) { w.setTransmissionInterval(p); },"
                       " updateState: function () { w.updateState(); },"
                       " update: function () { w.update(); } }; })"));
    m_this = makeApi.call(QScriptValue(), QScriptValueList() << wrapper);
    // The two calls a dispatch hook makes for every frame go straight to the item instead of
    // through a wrapper function and the QObject bridge, with the same conversions (a QVariant
    // each way); they were most of a hook's time.
    m_this.setProperty(QStringLiteral("parameterValue"),
                       m_engine->newFunction(&ItemScript::parameterValueCall, item));
    m_this.setProperty(QStringLiteral("setParameterValue"),
                       m_engine->newFunction(&ItemScript::setParameterValueCall, item));
    m_engine->globalObject().setProperty(QStringLiteral("xmlfunc"), m_this);

    arm();
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

ItemScript::~ItemScript() = default;

QScriptValue ItemScript::parameterValueCall(QScriptContext *context, QScriptEngine *engine,
                                            void *item)
{
    return engine->toScriptValue(static_cast<AbstractDisplayableItem *>(item)->parameterValue(
        context->argument(0).toString()));
}

QScriptValue ItemScript::setParameterValueCall(QScriptContext *context, QScriptEngine *engine,
                                               void *item)
{
    static_cast<AbstractDisplayableItem *>(item)->setParameterValue(
        context->argument(0).toString(), context->argument(1).toVariant());
    return engine->undefinedValue();
}

void ItemScript::arm()
{
    m_aborted = false;
    // The watchdog is left running between calls: starting and stopping a timer around every
    // hook call cost as much as a short hook. When it fires, the call running then is judged by
    // its own clock.
    m_callClock.start();
    m_inCall = true;
    if (!m_watchdog.isActive())
        m_watchdog.start(s_timeLimitMs.load());
}

void ItemScript::abortRunaway()
{
    // Only an evaluation or a hook call is stopped (isEvaluating() misses the calls).
    if (!m_inCall)
        return;
    const qint64 left = s_timeLimitMs.load() - m_callClock.elapsed();
    if (left > 0) {
        m_watchdog.start(int(left));
        return;
    }
    m_aborted = true;
    m_engine->abortEvaluation();
}

bool ItemScript::finish(const char *what)
{
    m_inCall = false;
    if (m_aborted) {
        qWarning("Script of %s aborted after %d ms in %s; script disabled",
                 qUtf8Printable(m_item->objectName()), s_timeLimitMs.load(), what);
        m_enabled = false;
        m_aborted = false;
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

void ItemScript::run(const QScriptValue &function, const QScriptProgram &call, const char *hook)
{
    // A hook that transmits or dispatches again must not start itself over.
    if (!m_enabled || m_running || !function.isFunction())
        return;
    m_running = true;
    arm();
    // Through evaluate(): only evaluations let the engine's interrupt check (and with it the
    // watchdog) in while the hook runs.
    m_engine->evaluate(call);
    finish(hook);
    m_running = false;
}

void ItemScript::runTransmitHook()
{
    run(m_transmit, m_transmitCall, "transmit");
}

void ItemScript::runDispatchHook()
{
    run(m_dispatch, m_dispatchCall, "dispatch");
}
