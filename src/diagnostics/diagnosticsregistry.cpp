#include "diagnostics/diagnosticsregistry.h"

#include "diagnostics/addressclaimfunction.h"
#include "diagnostics/dm1function.h"
#include "diagnostics/ecuidfunction.h"
#include "diagnostics/engineconfigurationfunction.h"
#include "diagnostics/memoryaccessfunction.h"
#include "diagnostics/softfunction.h"
#include "model/j1939device.h"
#include "model/j1939reg.h"

// The names are those of items the scheme files keep; the window shows them translated.
void registerDiagnosticsFunctions()
{
    J1939Reg::registerClass([](J1939Device *device) { return new DM1Function(device); }, 0xFECA,
                            QStringLiteral("dm1"),
                            QString::fromLatin1(QT_TRANSLATE_NOOP(
                                "DescriptionText", "DM - Active Diagnostic Trouble Codes")));
    J1939Reg::registerClass(
        [](J1939Device *device) { return new EcuidFunction(device); }, 0xFDC5,
        QStringLiteral("ecuid"),
        QString::fromLatin1(QT_TRANSLATE_NOOP("DescriptionText", "ECU Identification")));
    J1939Reg::registerClass([](J1939Device *device) { return new SoftFunction(device); }, 0xFEDA,
                            QStringLiteral("soft"),
                            QString::fromLatin1(QT_TRANSLATE_NOOP("DescriptionText", "Soft")));
    J1939Reg::registerClass(
        [](J1939Device *device) { return new MemoryAccessFunction(device); }, 0xD900,
        QStringLiteral("matool"),
        QString::fromLatin1(QT_TRANSLATE_NOOP("DescriptionText", "Memory Access Tool")));
    J1939Reg::registerClass(
        [](J1939Device *device) { return new EngineConfigurationFunction(device); }, 0xFEE3,
        QStringLiteral("ec1"),
        QString::fromLatin1(QT_TRANSLATE_NOOP("DescriptionText", "Engine Configuration 1")));
    J1939Reg::registerClass([](J1939Device *device) { return new AddressClaimFunction(device); },
                            0xEE00, QStringLiteral("addrclaim"),
                            QString::fromLatin1(QT_TRANSLATE_NOOP("J1939", "Address Claimed")));
}
