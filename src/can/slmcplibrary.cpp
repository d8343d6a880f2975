#include "can/slmcplibrary.h"

#include "can/adapterlibrary.h"

#include <mutex>

namespace SlmcpLibrary {

namespace {

struct Shared
{
    std::mutex mutex;
    AdapterLibrary library;
    EntryPoints entry;
    int opens = 0;
    bool bound = false;

    void bind()
    {
        if (bound)
            return;
        library.bind("CnOpen", &entry.CnOpen);
        library.bind("CnClose", &entry.CnClose);
        library.bind("CnInit", &entry.CnInit);
        library.bind("CnSetMaskFilters", &entry.CnSetMaskFilters);
        library.bind("CnSetBaudRate", &entry.CnSetBaudRate);
        library.bind("CnRecievePackets", &entry.CnRecievePackets);
        library.bind("CnSendPackets", &entry.CnSendPackets);
        library.bind("CnRecieveEnable", &entry.CnRecieveEnable);
        library.bind("CnRecieveDisable", &entry.CnRecieveDisable);
        library.bind("CnGetSerialNumber", &entry.CnGetSerialNumber);
        library.bind("CnSetRegisters", &entry.CnSetRegisters);
        library.bind("CnGetRegisters", &entry.CnGetRegisters);
        library.bind("CnSetDevParameters", &entry.CnSetDevParameters);
        library.bind("CnGetDevParameters", &entry.CnGetDevParameters);
        bound = true;
    }
};

Shared &shared()
{
    static Shared s;
    return s;
}

} // namespace

std::vector<const char *> requiredFunctions()
{
    return {"CnOpen",          "CnClose",         "CnInit",           "CnSetMaskFilters",
            "CnSetBaudRate",   "CnRecievePackets", "CnSendPackets",   "CnRecieveEnable",
            "CnRecieveDisable", "CnGetSerialNumber", "CnSetRegisters", "CnGetRegisters",
            "CnSetDevParameters", "CnGetDevParameters"};
}

const EntryPoints *CnOpenLibrary(const QString &fileName, QString *why)
{
    Shared &s = shared();
    std::lock_guard locker(s.mutex);
    if (s.opens == 0) {
        s.bind();
        if (!s.library.load(fileName.isEmpty() ? QString::fromLatin1(DefaultLibrary)
                                               : fileName)) {
            if (why)
                *why = s.library.errorString();
            return nullptr;
        }
    }
    ++s.opens;
    return &s.entry;
}

void CnCloseLibrary()
{
    Shared &s = shared();
    std::lock_guard locker(s.mutex);
    if (s.opens == 0)
        return;
    if (--s.opens == 0)
        s.library.unload();
}

int openCount()
{
    Shared &s = shared();
    std::lock_guard locker(s.mutex);
    return s.opens;
}

} // namespace SlmcpLibrary
