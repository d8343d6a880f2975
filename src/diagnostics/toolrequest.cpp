#include "diagnostics/toolrequest.h"

#include "can/tooladdress.h"
#include "model/devicedispatcher.h"
#include "model/j1939device.h"
#include "model/staticpgnj1939devicefunction.h"

namespace ToolRequest {

CanMessage frame(quint32 pgn, quint8 destination, quint8 source)
{
    CanMessage m;
    m.id = quint32(Priority) << 26 | quint32(PfRequest) << 16 | quint32(destination) << 8 | source;
    m.length = 3;
    m.data[0] = quint8(pgn);
    m.data[1] = quint8(pgn >> 8);
    m.data[2] = quint8(pgn >> 16);
    return m;
}

qint64 requestedPgn(const CanMessage &frame)
{
    if (!frame.extended || frame.pduFormat() != PfRequest || frame.length < 3)
        return -1;
    return qint64(frame.data[0]) | qint64(frame.data[1]) << 8 | qint64(frame.data[2]) << 16;
}

bool ask(StaticPgnJ1939DeviceFunction *function, bool global)
{
    auto *unit = function ? qobject_cast<J1939Device *>(function->parentItem()) : nullptr;
    const ToolAddress &tool = ToolAddress::of(function ? function->dispatcher() : nullptr);
    if (!unit || !tool.canSend())
        return false;
    const quint8 destination = global ? quint8(CanMessage::GlobalAddress)
                                      : quint8(unit->address().value);
    CanMessage m = frame(function->pgnValue(), destination, tool.current());
    function->sendMessage(m);
    return true;
}

} // namespace ToolRequest
