#pragma once

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
};

constexpr int FirstType = Slmcp;
constexpr int LastType = Replay;

QString buttonText(int type);
QString commandLineKey(int type);
// AdapterType for a command-line key ("zentrax", "replay", ...), None when unknown.
int typeForKey(const QString &key);
QStringList commandLineKeys();
bool isAvailable(int type);
// Creates the handler of that type in the calling thread; null when the type is not built in.
AbstractCanHandler *create(int type, AbstractCanMessageDispatcher *dispatcher);

} // namespace CanHandlerFactory
