#pragma once

#include "can/canmessage.h"

#include <QLibrary>
#include <QStringList>
#include <QVector>

// The test's handle on one of the fake adapter libraries (tests/support/fakelibs): loads the same
// file the handler under test loads by path, so both share one instance, and reaches its
// Fake_* control functions. Every call the fake receives is collected here, with its thread.
class FakeLibrary
{
public:
    enum Kind { J2534, Slcan, Slmcp, Rp1210 };

    // `variant`: "" for the complete library, else a built variant ("noclose", "noenum", ...).
    explicit FakeLibrary(Kind kind, const char *variant = "");
    ~FakeLibrary();

    static QString pathOf(Kind kind, const char *variant = "");
    QString path() const { return m_library.fileName(); }

    void failNext(const char *function, long result = 0);
    void setValue(const char *key, long value);
    void queue(const CanMessage &frame);
    void queue(const QVector<CanMessage> &frames);
    QVector<CanMessage> takeWritten();
    int maxInFlight();
    void fireDeviceEvent(unsigned index, unsigned event);
    void fireListEvent();
    // Drops the test's reference, so the handler's unload really unloads the library.
    void release();

    // Calls received by any fake since the last clearLog(), one line each, oldest first.
    static QStringList calls();
    // The same calls whose line starts with `prefix`.
    static QStringList calls(const QString &prefix);
    static QList<quint64> threads();
    static void clearLog();

private:
    template<typename Fn>
    Fn resolve(const char *name);

    QLibrary m_library;
};
