#include "descriptions/devicefactoryentry.h"

#include "model/abstractdisplayableitem.h"

#include <QMetaObject>

DeviceFactoryEntry::DeviceFactoryEntry(const QByteArray &k, const ItemAddress &a, const QString &n,
                                       const QString &d, const QString &fd, Creator c,
                                       TestCreator t, const QString &scheme)
    : key(k)
    , address(a)
    , name(n)
    , description(d)
    , fullDescription(fd)
    , testScheme(scheme)
    , create(std::move(c))
    , createTest(std::move(t))
{
}

DeviceFactoryEntry::DeviceFactoryEntry(const QByteArray &k, const ItemAddress &a, const QString &n,
                                       const QMetaObject *mo)
    : key(k)
    , address(a)
    , name(n)
    , metaObject(mo)
{
}

bool DeviceFactoryEntry::metaInherits(const char *className) const
{
    for (const QMetaObject *mo = metaObject; mo; mo = mo->superClass()) {
        if (qstrcmp(mo->className(), className) == 0)
            return true;
    }
    return false;
}
