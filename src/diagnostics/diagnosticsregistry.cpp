#include "diagnostics/diagnosticsregistry.h"

#include "descriptions/pgnfunctionregistry.h"
#include "descriptions/unitregistry.h"
#include "descriptions/unknownpgnfactory.h"
#include "diagnostics/acknowledgementfunction.h"
#include "diagnostics/addressclaimfunction.h"
#include "diagnostics/canflashingfunctionv1.h"
#include "diagnostics/codeclearingfunction.h"
#include "diagnostics/componentidfunction.h"
#include "diagnostics/dm19function.h"
#include "diagnostics/dm1function.h"
#include "diagnostics/dm2function.h"
#include "diagnostics/dm5function.h"
#include "diagnostics/dm24function.h"
#include "diagnostics/dm25function.h"
#include "diagnostics/dm4function.h"
#include "diagnostics/ecuidfunction.h"
#include "diagnostics/emr2enginestoprequestfunction.h"
#include "diagnostics/engineconfigurationfunction.h"
#include "diagnostics/enginecontrollercalibrationfunction.h"
#include "diagnostics/memoryaccessfunction.h"
#include "diagnostics/offboarddiagnosticdevice.h"
#include "diagnostics/softfunction.h"
#include "diagnostics/vehicleidfunction.h"
#include "model/j1939device.h"
#include "model/j1939reg.h"

namespace {

// The tool's own functions, offered after the function library.
void registerToolFunctions()
{
    PgnFunctionRegistry::registerFunction(DeviceFactoryEntry(
        "canflashv1", {ItemAddress::Pgn, 0xD900},
        QString::fromLatin1(QT_TRANSLATE_NOOP("UnknownPgnFactory", "Can Flasher")),
        QStringLiteral("CAN_FLASHER_V1_DESC_PH"), QStringLiteral("CAN_FLASHER_V1_FDESC_PH"),
        [] { return new CanFlashingFunctionV1; }));
    // Offered for adding by hand only: 0xFF16 is a proprietary group that other makers use for
    // other things, and the calibration run has no group of its own.
    PgnFunctionRegistry::registerFunction(
        DeviceFactoryEntry("emr2stop", {ItemAddress::Pgn, 0xFF16},
                           QString::fromLatin1(QT_TRANSLATE_NOOP("UnknownPgnFactory",
                                                                 "EMR2 - Engine Stop Request")),
                           QStringLiteral("EMR2_STOP_DESC_PH"),
                           QStringLiteral("EMR2_STOP_FDESC_PH"),
                           [] { return new Emr2EngineStopRequestFunction; }),
        PgnFunctionRegistry::ByHandOnly);
    PgnFunctionRegistry::registerFunction(
        DeviceFactoryEntry("eccalibration", {ItemAddress::Pgn, UnknownPgnFactory::NoGroupAddress},
                           QString::fromLatin1(QT_TRANSLATE_NOOP("UnknownPgnFactory",
                                                                 "Engine Controller Calibration")),
                           QStringLiteral("ENGINE_CALIBRATION_DESC_PH"),
                           QStringLiteral("ENGINE_CALIBRATION_FDESC_PH"),
                           [] { return new EngineControllerCalibrationFunction; }),
        PgnFunctionRegistry::ByHandOnly);
}

// Freeze frames: DM4, and DM25 with the SPN support (DM24) that lays its records out.
void registerFreezeFrameFunctions()
{
    J1939Reg::registerClass([](J1939Device *device) { return new DM4Function(device); }, 0xFECD,
                            QStringLiteral("dm4"),
                            QString::fromLatin1(QT_TRANSLATE_NOOP(
                                "DescriptionText", "DM4 - Freeze Frame Parameters")));
    J1939Reg::registerClass([](J1939Device *device) { return new DM24Function(device); }, 0xFDB6,
                            QStringLiteral("dm24"),
                            QString::fromLatin1(
                                QT_TRANSLATE_NOOP("DescriptionText", "DM24 - SPN Support")));
    J1939Reg::registerClass([](J1939Device *device) { return new DM25Function(device); }, 0xFDB7,
                            QStringLiteral("dm25"),
                            QString::fromLatin1(QT_TRANSLATE_NOOP(
                                "DescriptionText", "DM25 - Expanded Freeze Frame")));
}

} // namespace

// The names are those of items the scheme files keep; the window shows them translated.
void registerDiagnosticsFunctions()
{
    J1939Reg::registerClass([](J1939Device *device) { return new DM1Function(device); }, 0xFECA,
                            QStringLiteral("dm1"),
                            QString::fromLatin1(QT_TRANSLATE_NOOP(
                                "DescriptionText", "DM - Active Diagnostic Trouble Codes")));
    J1939Reg::registerClass([](J1939Device *device) { return new DM2Function(device); }, 0xFECB,
                            QStringLiteral("dm2"),
                            QString::fromLatin1(QT_TRANSLATE_NOOP(
                                "DescriptionText",
                                "DM - Previously Active Diagnostic Trouble Codes")));
    J1939Reg::registerClass(
        [](J1939Device *device) { return new DM5Function(device); }, 0xFECE,
        QStringLiteral("dm5"),
        QString::fromLatin1(QT_TRANSLATE_NOOP("DescriptionText", "DM - Diagnostic Readiness 1")));
    J1939Reg::registerClass(
        [](J1939Device *device) { return new EcuidFunction(device); }, 0xFDC5,
        QStringLiteral("ecuid"),
        QString::fromLatin1(QT_TRANSLATE_NOOP("DescriptionText", "ECU Identification")));
    J1939Reg::registerClass([](J1939Device *device) { return new SoftFunction(device); }, 0xFEDA,
                            QStringLiteral("soft"),
                            QString::fromLatin1(QT_TRANSLATE_NOOP("DescriptionText", "Soft")));
    J1939Reg::registerClass(
        [](J1939Device *device) { return new ComponentIdFunction(device); }, 0xFEEB,
        QStringLiteral("ci"),
        QString::fromLatin1(QT_TRANSLATE_NOOP("DescriptionText", "Component Identification")));
    J1939Reg::registerClass(
        [](J1939Device *device) { return new VehicleIdFunction(device); }, 0xFEEC,
        QStringLiteral("vi"),
        QString::fromLatin1(QT_TRANSLATE_NOOP("DescriptionText", "Vehicle Identification")));
    J1939Reg::registerClass(
        [](J1939Device *device) { return new DM19Function(device); }, 0xD300,
        QStringLiteral("dm19"),
        QString::fromLatin1(
            QT_TRANSLATE_NOOP("DescriptionText", "DM19 - Calibration Information")));
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
    J1939Reg::registerClass(
        [](J1939Device *device) { return new AcknowledgementFunction(device); }, 0xE800,
        QStringLiteral("ack"),
        QString::fromLatin1(QT_TRANSLATE_NOOP("DescriptionText", "Acknowledgement")));
    // Clearing has no data of its own (DM11 and DM3 are requested): the function holds the
    // clearing of its unit's codes and its last result.
    J1939Reg::registerClass(
        [](J1939Device *device) { return new CodeClearingFunction(device); },
        CodeClearingFunction::Dm11Pgn, QStringLiteral("dm11"),
        QString::fromLatin1(QT_TRANSLATE_NOOP("DescriptionText",
                                              "DM11/DM3 - Clear Diagnostic Trouble Codes")));
    registerFreezeFrameFunctions();
    registerToolFunctions();
    // The tool itself, owner of the flashing and identification functions.
    UnitRegistry::registerUnit(DeviceFactoryEntry(
        "offboarddiagunit", {ItemAddress::J1939, OffBoardDiagnosticDevice::DefaultAddress},
        QString::fromLatin1(QT_TRANSLATE_NOOP("CanDeviceFactory", "Off-board diagnostic unit")),
        QStringLiteral("OFFBDU_DESC_PH"), QStringLiteral("OFFBDU_FDESC_PH"),
        [] { return new OffBoardDiagnosticDevice; }));
}
