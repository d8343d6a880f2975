#include "support/fakelibrary.h"

#include <QMutex>
#include <QMutexLocker>
#include <QtTest>

#include <cstdint>

namespace {

struct Log
{
    QMutex mutex;
    QStringList lines;
    QList<quint64> threads;
};

// Never destroyed: a fake still loaded at exit logs its unloading after static destruction.
Log &log()
{
    static Log *l = new Log;
    return *l;
}

void collect(const char *line, unsigned long long thread)
{
    QMutexLocker locker(&log().mutex);
    log().lines << QString::fromLatin1(line);
    log().threads << thread;
}

using Logger = void (*)(const char *, unsigned long long);

} // namespace

QString FakeLibrary::pathOf(Kind kind, const char *variant)
{
    const QString base = QStringLiteral(TARVIK_FAKELIBS_DIR);
    const char *const names[] = {"fakej2534", "fakeslcan", "fakeslmcp", "fakerp1210"};
    const char *name = names[kind];
    QString file = QString::fromLatin1(name);
    if (*variant)
        file += QLatin1Char('_') + QString::fromLatin1(variant);
#if defined(Q_OS_WIN)
    return base + QLatin1Char('/') + file + QStringLiteral(".dll");
#else
    return base + QStringLiteral("/lib") + file + QStringLiteral(".so");
#endif
}

FakeLibrary::FakeLibrary(Kind kind, const char *variant)
    : m_library(pathOf(kind, variant))
{
    if (!m_library.load())
        qFatal("fake library: %s", qPrintable(m_library.errorString()));
    resolve<void (*)(Logger)>("Fake_setLogger")(&collect);
    resolve<void (*)()>("Fake_reset")();
}

FakeLibrary::~FakeLibrary()
{
    release();
}

template<typename Fn>
Fn FakeLibrary::resolve(const char *name)
{
    auto f = reinterpret_cast<Fn>(m_library.resolve(name));
    if (!f)
        qFatal("fake library %s lacks %s", qPrintable(m_library.fileName()), name);
    return f;
}

void FakeLibrary::failNext(const char *function, long result)
{
    resolve<void (*)(const char *, long)>("Fake_failNext")(function, result);
}

void FakeLibrary::setValue(const char *key, long value)
{
    resolve<void (*)(const char *, long)>("Fake_setValue")(key, value);
}

void FakeLibrary::queue(const CanMessage &frame)
{
    resolve<void (*)(std::uint32_t, int, int, const unsigned char *)>("Fake_queueFrame")(
        frame.id, frame.extended, frame.length, frame.data);
}

void FakeLibrary::queue(const QVector<CanMessage> &frames)
{
    for (const CanMessage &frame : frames)
        queue(frame);
}

QVector<CanMessage> FakeLibrary::takeWritten()
{
    auto take = resolve<int (*)(std::uint32_t *, int *, int *, unsigned char *)>(
        "Fake_takeWritten");
    QVector<CanMessage> frames;
    std::uint32_t id = 0;
    int extended = 0;
    int length = 0;
    unsigned char data[8];
    while (take(&id, &extended, &length, data)) {
        CanMessage m(id, data, length);
        m.length = quint8(length); // as written, even when out of range
        m.extended = extended;
        frames << m;
    }
    return frames;
}

int FakeLibrary::maxInFlight()
{
    return resolve<int (*)()>("Fake_maxInFlight")();
}

void FakeLibrary::fireDeviceEvent(unsigned index, unsigned event)
{
    resolve<void (*)(std::uint32_t, std::uint32_t)>("Fake_fireDeviceEvent")(index, event);
}

void FakeLibrary::fireListEvent()
{
    resolve<void (*)()>("Fake_fireListEvent")();
}

void FakeLibrary::release()
{
    if (m_library.isLoaded())
        m_library.unload();
}

QStringList FakeLibrary::calls()
{
    QMutexLocker locker(&log().mutex);
    return log().lines;
}

QStringList FakeLibrary::calls(const QString &prefix)
{
    QStringList matching;
    for (const QString &line : calls()) {
        if (line.startsWith(prefix))
            matching << line;
    }
    return matching;
}

QList<quint64> FakeLibrary::threads()
{
    QMutexLocker locker(&log().mutex);
    return log().threads;
}

void FakeLibrary::clearLog()
{
    QMutexLocker locker(&log().mutex);
    log().lines.clear();
    log().threads.clear();
}
