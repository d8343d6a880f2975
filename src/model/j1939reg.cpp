#include "model/j1939reg.h"

#include <mutex>

namespace {

std::mutex s_mutex;
QList<J1939PgnDescription> &entries()
{
    static QList<J1939PgnDescription> list;
    return list;
}

void add(J1939PgnDescription d)
{
    std::lock_guard locker(s_mutex);
    for (J1939PgnDescription &existing : entries()) {
        if (existing.key == d.key) {
            existing = std::move(d);
            return;
        }
    }
    entries().append(std::move(d));
}

} // namespace

void J1939Reg::registerClass(const J1939PgnDescription::Creator &creator, quint32 pgn,
                             const QString &key, const QString &name)
{
    add({pgn, key, name, nullptr, creator});
}

void J1939Reg::registerClass(const QMetaObject *metaObject, quint32 pgn, const QString &key,
                             const QString &name)
{
    add({pgn, key, name, metaObject, {}});
}

QList<J1939PgnDescription> J1939Reg::descriptions()
{
    std::lock_guard locker(s_mutex);
    return entries();
}

bool J1939Reg::find(quint32 pgn, J1939PgnDescription *out)
{
    std::lock_guard locker(s_mutex);
    for (const J1939PgnDescription &d : entries()) {
        if (d.pgn == pgn) {
            *out = d;
            return true;
        }
    }
    return false;
}

bool J1939Reg::findKey(const QString &key, J1939PgnDescription *out)
{
    std::lock_guard locker(s_mutex);
    for (const J1939PgnDescription &d : entries()) {
        if (d.key == key) {
            *out = d;
            return true;
        }
    }
    return false;
}
