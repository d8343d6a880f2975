#pragma once

#include "util/translatabletext.h"

#include <QString>
#include <QStringList>

class AbstractCanHandler;
class AbstractCanMessageDispatcher;

// The adapter types the user can choose, with their command-line keys and availability.
namespace CanHandlerFactory {

enum AdapterType {
    None = 0,
    Slmcp = 1,
    Slcan = 2,
    J2534 = 3,
    I7565 = 4,
    Zentrax = 5,
    Replay = 6,
    CanBus = 7,
    Rp1210 = 8,
};

constexpr int FirstType = Slmcp;
constexpr int LastType = Rp1210;

// What the user chose beyond the adapter type.
struct AdapterOptions
{
    QString libraryPath; // the vendor library to load; empty: the setting, else the default
};

QString buttonText(int type);
// The same in the words of the code, for texts said again later in another language.
TranslatableText buttonTextSource(int type);
// What the status bar and the scheme call the adapter of a bus on `port`: a recording of the
// user's played on the replay adapter is a recording, not the demo.
TranslatableText connectionSource(int type, const QString &port);
// One line saying what the adapter is, for the start dialog.
QString description(int type);
QString commandLineKey(int type);
// AdapterType for a command-line key ("zentrax", "replay", ...), None when unknown.
int typeForKey(const QString &key);
QStringList commandLineKeys();
// Built into this program.
bool isAvailable(int type);
// The adapter reaches the bus through a vendor library that is loaded at run time.
bool usesLibrary(int type);
// Settings key ("Misc/SlcanLibrary", ...) naming that library; empty for other types. For RP1210
// the library replaces every vendor's own, which the INI files name otherwise.
QString librarySettingsKey(int type);
// The library file to load: the option, else the setting, else the library's default name
// (without the platform's suffix, which the loader adds).
QString libraryFileName(int type, const AdapterOptions &options);
// RP1210: the folder of RP1210.INI ("Misc/Rp1210Folder", else the Windows folder) and the
// client protocol ("Misc/Rp1210Protocol": "J1939", the default, or "CAN").
QString rp1210FolderSettingsKey();
QString rp1210ProtocolSettingsKey();
// Whether the adapter can be used now (built in, its library loads and is complete); `why`
// tells the user what stands in the way.
bool probe(int type, const AdapterOptions &options, QString *why);
// Creates the handler of that type in the calling thread; null when the type is not built in
// or its handler cannot work, with the reason in `error`.
AbstractCanHandler *create(int type, AbstractCanMessageDispatcher *dispatcher,
                           const AdapterOptions &options = {}, QString *error = nullptr);

} // namespace CanHandlerFactory
