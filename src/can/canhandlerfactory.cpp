#include "can/canhandlerfactory.h"

#include "can/i7565canhandler.h"
#include "can/replaycanhandler.h"
#include "can/zentraxv1canhandler.h"

#include <QCoreApplication>

namespace CanHandlerFactory {

namespace {

struct AdapterInfo
{
    int type;
    const char *buttonText;
    const char *key;
};

const AdapterInfo Adapters[] = {
    {Slmcp, QT_TRANSLATE_NOOP("AdapterChoiceDialog", "Slmcp (old)"), "slmcp"},
    {Slcan, QT_TRANSLATE_NOOP("AdapterChoiceDialog", "Slcan (new)"), "slcan"},
    {J2534, QT_TRANSLATE_NOOP("AdapterChoiceDialog", "J2534 (OpenPort 2.0)"), "j2534"},
    {I7565, QT_TRANSLATE_NOOP("AdapterChoiceDialog", "I7565 (USB-COM)"), "i7565"},
    {Zentrax, QT_TRANSLATE_NOOP("AdapterChoiceDialog", "Zentrax"), "zentrax"},
    {Replay, QT_TRANSLATE_NOOP("AdapterChoiceDialog", "Replay (demo)"), "replay"},
};

const AdapterInfo *find(int type)
{
    for (const AdapterInfo &info : Adapters) {
        if (info.type == type)
            return &info;
    }
    return nullptr;
}

} // namespace

QString buttonText(int type)
{
    const AdapterInfo *info = find(type);
    return info ? QCoreApplication::translate("AdapterChoiceDialog", info->buttonText) : QString();
}

QString commandLineKey(int type)
{
    const AdapterInfo *info = find(type);
    return info ? QString::fromLatin1(info->key) : QString();
}

int typeForKey(const QString &key)
{
    for (const AdapterInfo &info : Adapters) {
        if (key.compare(QLatin1String(info.key), Qt::CaseInsensitive) == 0)
            return info.type;
    }
    return None;
}

QStringList commandLineKeys()
{
    QStringList keys;
    for (const AdapterInfo &info : Adapters)
        keys << QString::fromLatin1(info.key);
    return keys;
}

bool isAvailable(int type)
{
    return type == Replay || type == Zentrax || type == I7565;
}

AbstractCanHandler *create(int type, AbstractCanMessageDispatcher *dispatcher)
{
    switch (type) {
    case Replay:
        return new ReplayCanHandler(dispatcher);
    case Zentrax:
        return new ZentraxV1CanHandler(dispatcher);
    case I7565:
        return new I7565CanHandler(dispatcher);
    default:
        return nullptr;
    }
}

} // namespace CanHandlerFactory
