#pragma once

#include "scheme/abstractschemetreeitem.h"

#include <QList>
#include <QPointer>

class EngineControllerCalibrationFunction;
class QLabel;

// The tree node of the engine-controller calibration and its editor: Start, Stop and whether a
// run is going. GUI thread; the function is reached by queued calls by name.
class ECCFSChemeTreeItem : public AbstractSchemeTreeItem
{
    Q_OBJECT

public:
    explicit ECCFSChemeTreeItem(EngineControllerCalibrationFunction *function);

    QWidget *createWidget() override;
    using AbstractSchemeTreeItem::createWidget;
    bool doUpdate() override;

private:
    void refreshState();

    QPointer<EngineControllerCalibrationFunction> m_function;
    QList<QPointer<QLabel>> m_states;
};
