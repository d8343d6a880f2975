#pragma once

#include "scheme/abstractschemetreeitem.h"

#include <QPointer>

class EngineControllerCalibrationFunction;

// The tree node of the engine-controller calibration: Start and Stop. GUI thread; the function
// is reached by queued calls by name.
class ECCFSChemeTreeItem : public AbstractSchemeTreeItem
{
    Q_OBJECT

public:
    explicit ECCFSChemeTreeItem(EngineControllerCalibrationFunction *function);

    QWidget *createWidget(unsigned int kind) override;
    using AbstractSchemeTreeItem::createWidget;

private:
    QPointer<EngineControllerCalibrationFunction> m_function;
};
