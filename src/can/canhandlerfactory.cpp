#include "can/canhandlerfactory.h"

#include "can/adapterlibrary.h"
#include "can/i7565canhandler.h"
#include "can/j2534.h"
#include "can/j2534canhandler.h"
#include "can/replaycanhandler.h"
#include "can/rp1210canhandler.h"
#include "can/slcancanhandler.h"
#include "can/slmcpcanhandler.h"
#include "can/zentraxv1canhandler.h"
#ifdef TARVIK_HAVE_SERIALBUS
#include "can/qtcanbushandler.h"
#endif

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>

#include <memory>

namespace CanHandlerFactory {

namespace {

struct AdapterInfo
{
    int type;
    const char *buttonText;
    const char *key;
    const char *libraryKey;
    const char *defaultLibrary;
};

const AdapterInfo Adapters[] = {
    {Slmcp, QT_TRANSLATE_NOOP("AdapterChoiceDialog", "Slmcp (old)"), "slmcp",
     "Misc/SlmcpLibrary", SlmcpLibrary::DefaultLibrary},
    {Slcan, QT_TRANSLATE_NOOP("AdapterChoiceDialog", "Slcan (new)"), "slcan",
     "Misc/SlcanLibrary", SlcanCanHandler::DefaultLibrary},
    {J2534, QT_TRANSLATE_NOOP("AdapterChoiceDialog", "J2534 (OpenPort 2.0)"), "j2534",
     "Misc/J2534Library", J2534::DefaultDllName},
    {I7565, QT_TRANSLATE_NOOP("AdapterChoiceDialog", "I7565 (USB-COM)"), "i7565", nullptr,
     nullptr},
    {Zentrax, QT_TRANSLATE_NOOP("AdapterChoiceDialog", "Zentrax"), "zentrax", nullptr, nullptr},
    {Replay, QT_TRANSLATE_NOOP("AdapterChoiceDialog", "Replay (demo)"), "replay", nullptr,
     nullptr},
    {CanBus, QT_TRANSLATE_NOOP("AdapterChoiceDialog", "CAN bus (SocketCAN, PEAK, virtual…)"),
     "canbus", nullptr, nullptr},
    // No default library: each vendor's comes from the INI files.
    {Rp1210, QT_TRANSLATE_NOOP("AdapterChoiceDialog", "RP1210 (heavy-duty adapters)"), "rp1210",
     "Misc/Rp1210Library", nullptr},
};

const char *const Rp1210FolderKey = "Misc/Rp1210Folder";
const char *const Rp1210ProtocolKey = "Misc/Rp1210Protocol";

const AdapterInfo *find(int type)
{
    for (const AdapterInfo &info : Adapters) {
        if (info.type == type)
            return &info;
    }
    return nullptr;
}

std::vector<const char *> requiredFunctions(int type)
{
    switch (type) {
    case Slmcp:
        return SlmcpLibrary::requiredFunctions();
    case Slcan:
        return SlcanCanHandler::requiredFunctions();
    case J2534:
        return {std::begin(J2534::FunctionNames), std::end(J2534::FunctionNames)};
    default:
        return {};
    }
}

// The fixed report of each library handler when its library is unusable.
QString libraryFailureText(int type, bool missingFunction)
{
    switch (type) {
    case Slcan:
        return missingFunction ? QStringLiteral("Corrupted slcan.dll: missing function")
                               : QStringLiteral("Unable to load slcan.dll");
    case Slmcp:
        return QStringLiteral("Unable to load slmcp.dll");
    default:
        return QStringLiteral("Unable to init j2534");
    }
}

Rp1210CanHandler::Options rp1210Options(const AdapterOptions &options)
{
    const QSettings settings;
    Rp1210CanHandler::Options rp1210;
    rp1210.folder = settings.value(QLatin1String(Rp1210FolderKey)).toString();
    rp1210.library = libraryFileName(Rp1210, options);
    rp1210.protocol = Rp1210Records::protocolForName(
        settings.value(QLatin1String(Rp1210ProtocolKey)).toString());
    return rp1210;
}

template<typename Handler>
AbstractCanHandler *readyOrNull(Handler *handler, QString *error)
{
    if (handler->isReady())
        return handler;
    if (error)
        *error = handler->lastError();
    delete handler;
    return nullptr;
}

} // namespace

QString buttonText(int type)
{
    const AdapterInfo *info = find(type);
    return info ? QCoreApplication::translate("AdapterChoiceDialog", info->buttonText) : QString();
}

TranslatableText buttonTextSource(int type)
{
    const AdapterInfo *info = find(type);
    return info ? TranslatableText::catalogue("AdapterChoiceDialog", info->buttonText)
                : TranslatableText();
}

TranslatableText connectionSource(int type, const QString &port)
{
    const QFileInfo file(port);
    if (type == Replay && !port.startsWith(QLatin1Char(':')) && file.isFile())
        return TranslatableText::catalogue("AdapterChoiceDialog",
                                           QT_TRANSLATE_NOOP("AdapterChoiceDialog", "Recording"));
    return buttonTextSource(type);
}

QString description(int type)
{
    const char *text = nullptr;
    switch (type) {
    case Slmcp:
        text = QT_TRANSLATE_NOOP("AdapterChoiceDialog",
                                 "Older USB-CAN adapters, through the vendor's library slmcp.dll");
        break;
    case Slcan:
        text = QT_TRANSLATE_NOOP("AdapterChoiceDialog",
                                 "Newer USB-CAN adapters, through the vendor's library slcan.dll");
        break;
    case J2534:
        text = QT_TRANSLATE_NOOP("AdapterChoiceDialog",
                                 "SAE J2534 pass-thru adapters, through the vendor's library");
        break;
    case I7565:
        text = QT_TRANSLATE_NOOP("AdapterChoiceDialog",
                                 "ICP DAS I-7565 USB-CAN converter (serial port)");
        break;
    case Zentrax:
        text = QT_TRANSLATE_NOOP("AdapterChoiceDialog",
                                 "Zentrax — the maker's USB-CAN adapter (serial port)");
        break;
    case Replay:
        text = QT_TRANSLATE_NOOP(
            "AdapterChoiceDialog",
            "Demo bus — a recorded machine with simulated units, no hardware needed");
        break;
    case CanBus:
        text = QT_TRANSLATE_NOOP("AdapterChoiceDialog",
                                 "Adapters Qt reaches: SocketCAN, PEAK, virtual CAN and others");
        break;
    case Rp1210:
        text = QT_TRANSLATE_NOOP("AdapterChoiceDialog",
                                 "Truck service adapters, through the vendor's library that "
                                 "RP1210.INI names");
        break;
    default:
        return QString();
    }
    return QCoreApplication::translate("AdapterChoiceDialog", text);
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
#ifdef TARVIK_HAVE_SERIALBUS
    if (type == CanBus)
        return true;
#endif
    return find(type) && type != CanBus;
}

bool usesLibrary(int type)
{
    const AdapterInfo *info = find(type);
    return info && info->libraryKey;
}

QString librarySettingsKey(int type)
{
    const AdapterInfo *info = find(type);
    return info && info->libraryKey ? QString::fromLatin1(info->libraryKey) : QString();
}

QString libraryFileName(int type, const AdapterOptions &options)
{
    const AdapterInfo *info = find(type);
    if (!info || !info->libraryKey)
        return QString();
    if (!options.libraryPath.isEmpty())
        return options.libraryPath;
    const QString configured = QSettings().value(QLatin1String(info->libraryKey)).toString();
    return configured.isEmpty() ? QString::fromLatin1(info->defaultLibrary) : configured;
}

QString rp1210FolderSettingsKey()
{
    return QString::fromLatin1(Rp1210FolderKey);
}

QString rp1210ProtocolSettingsKey()
{
    return QString::fromLatin1(Rp1210ProtocolKey);
}

bool probe(int type, const AdapterOptions &options, QString *why)
{
    if (!isAvailable(type)) {
        if (why)
            *why = QCoreApplication::translate("AdapterChoiceDialog",
                                               "%1 is not available in this build")
                       .arg(buttonText(type));
        return false;
    }
#ifdef TARVIK_HAVE_SERIALBUS
    if (type == CanBus)
        return QtCanBusHandler::probe(why);
#endif
    if (type == Rp1210)
        return Rp1210CanHandler::probe(rp1210Options(options), why);
    if (!usesLibrary(type))
        return true;
    const std::vector<const char *> names = requiredFunctions(type);
    // Declared before the library, which clears them when it is destroyed.
    std::vector<QFunctionPointer> entries(names.size());
    AdapterLibrary library;
    for (size_t i = 0; i < names.size(); ++i)
        library.bind(names[i], &entries[i]);
    if (library.load(libraryFileName(type, options)))
        return true;
    if (why) {
        *why = QStringLiteral("%1\n%2").arg(
            libraryFailureText(type, !library.missingFunction().isEmpty()),
            library.errorString());
    }
    return false;
}

AbstractCanHandler *create(int type, AbstractCanMessageDispatcher *dispatcher,
                           const AdapterOptions &options, QString *error)
{
    switch (type) {
    case Replay:
        return new ReplayCanHandler(dispatcher);
    case Zentrax:
        return new ZentraxV1CanHandler(dispatcher);
    case I7565:
        return new I7565CanHandler(dispatcher);
    case J2534:
        return readyOrNull(new J2534CanHandler(dispatcher, libraryFileName(type, options)), error);
    case Slcan:
        return readyOrNull(new SlcanCanHandler(dispatcher, libraryFileName(type, options)), error);
    case Slmcp:
        return readyOrNull(new SlmcpCanHandler(dispatcher, libraryFileName(type, options)), error);
    case Rp1210:
        return readyOrNull(new Rp1210CanHandler(dispatcher, rp1210Options(options)), error);
#ifdef TARVIK_HAVE_SERIALBUS
    case CanBus:
        return new QtCanBusHandler(dispatcher);
#endif
    default:
        if (error)
            *error = QCoreApplication::translate("AdapterChoiceDialog",
                                                 "%1 is not available in this build")
                         .arg(buttonText(type));
        return nullptr;
    }
}

} // namespace CanHandlerFactory
