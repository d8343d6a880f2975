#include "diagnostics/enginecontrollercalibrationfunction.h"

#include "diagnostics/editors/eccfschemetreeitem.h"

#include <QDebug>

EngineControllerCalibrationFunction::EngineControllerCalibrationFunction(QObject *parent)
    : J1939DeviceFunction(parent)
    , m_calibrationTimer(this)
{
    setObjectName(QStringLiteral("EngineControllerCalibrationFunction"));
    setName(tr("Engine Controller Calibration"));
    m_calibrationTimer.setInterval(TickMs);
    connect(&m_calibrationTimer, &QTimer::timeout, this,
            &EngineControllerCalibrationFunction::slotTick);
}

bool EngineControllerCalibrationFunction::matchMessage(const CanMessage &)
{
    return false; // it takes no frames
}

AbstractSchemeTreeItem *EngineControllerCalibrationFunction::createTreeItem()
{
    return new ECCFSChemeTreeItem(this);
}

void EngineControllerCalibrationFunction::slotStart()
{
    m_calibrationTimer.start();
    m_running.store(true);
    setUpdateNeeded();
}

void EngineControllerCalibrationFunction::slotStop()
{
    m_calibrationTimer.stop();
    m_running.store(false);
    setUpdateNeeded();
}

void EngineControllerCalibrationFunction::slotTick()
{
    qDebug("SEND CAL MESSAGE");
}
