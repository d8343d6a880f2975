#pragma once

#include <QList>
#include <QString>

#include <functional>

class AbstractDisplayableItem;
class J1939Device;
struct QMetaObject;

// One function class known by PGN.
struct J1939PgnDescription
{
    using Creator = std::function<AbstractDisplayableItem *(J1939Device *device)>;

    quint32 pgn = 0;
    QString key;
    QString name;
    const QMetaObject *metaObject = nullptr;
    Creator creator;
};

// Process-wide registry from PGN to function class, used by the function factories.
class J1939Reg
{
public:
    static void registerClass(const J1939PgnDescription::Creator &creator, quint32 pgn,
                              const QString &key, const QString &name);
    static void registerClass(const QMetaObject *metaObject, quint32 pgn, const QString &key,
                              const QString &name);
    static QList<J1939PgnDescription> descriptions();
    // The entry for a PGN or a key; null when none.
    static bool find(quint32 pgn, J1939PgnDescription *out);
    static bool findKey(const QString &key, J1939PgnDescription *out);
};
