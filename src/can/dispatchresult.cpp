#include "can/dispatchresult.h"

#include "can/canmessage.h"

DispatchResult::DispatchResult(Status flags, qint64 time)
    : status(flags)
    , timestamp(time)
{}

void registerCanMetaTypes()
{
    qRegisterMetaType<CanMessage>("CanMessage");
    qRegisterMetaType<DispatchResult>("DispatchResult");
}
