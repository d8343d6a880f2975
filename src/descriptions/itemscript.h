#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QScriptEngine>
#include <QScriptProgram>
#include <QScriptValue>
#include <QTimer>
#include <QVariant>

#include <memory>

class AbstractDisplayableItem;

// What a description script may touch of its item: these slots and nothing else (no QObject
// members, no children, no deleteLater).
class ItemScriptInterface : public QObject
{
    Q_OBJECT

public:
    explicit ItemScriptInterface(AbstractDisplayableItem *item, QObject *parent = nullptr);

public slots:
    QVariant parameterValue(QString pname);
    void setParameterValue(QString pname, QVariant value);
    bool setState(int v);
    void transmitState();
    void setTransmissionInterval(int p);
    void updateState();
    void update();

private:
    AbstractDisplayableItem *m_item;
};

// The script of a description-driven item: evaluated once in its own engine, then its
// "transmit" and "dispatch" hooks run when the item encodes or has decoded a frame. A script that
// runs longer than the time limit is aborted and disabled. Lives with its item.
class ItemScript : public QObject
{
    Q_OBJECT

public:
    ItemScript(AbstractDisplayableItem *item, const QString &source);
    ~ItemScript() override;

    bool isEnabled() const { return m_enabled; }
    bool hasTransmitHook() const { return m_transmit.isFunction(); }
    bool hasDispatchHook() const { return m_dispatch.isFunction(); }
    QScriptEngine *engine() { return m_engine; }

    static void setTimeLimitMs(int ms);
    static int timeLimitMs();

public slots:
    void runTransmitHook();
    void runDispatchHook();

private:
    static QScriptValue parameterValueCall(QScriptContext *context, QScriptEngine *engine,
                                           void *item);
    static QScriptValue setParameterValueCall(QScriptContext *context, QScriptEngine *engine,
                                              void *item);
    void run(const QScriptValue &function, const QScriptProgram &call, const char *hook);
    void arm();
    bool finish(const char *what);
    void abortRunaway();

    AbstractDisplayableItem *m_item;
    QScriptEngine *m_engine;
    ItemScriptInterface *m_interface;
    QTimer m_watchdog; // aborts an evaluation that runs past the time limit
    QElapsedTimer m_callClock; // since the running call began
    bool m_inCall = false;
    bool m_aborted = false;
    QScriptValue m_this;
    QScriptValue m_transmit;
    QScriptValue m_dispatch;
    // The hooks' calls, compiled once: a hook may run on every frame.
    QScriptProgram m_transmitCall{QStringLiteral("transmit.call(xmlfunc)")};
    QScriptProgram m_dispatchCall{QStringLiteral("dispatch.call(xmlfunc)")};
    bool m_enabled = true;
    bool m_running = false;
};
