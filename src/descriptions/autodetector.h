#pragma once

#include "can/abstractcanhandler.h"

#include <QList>
#include <QObject>

class AbstractDisplayableItem;
class DeviceDispatcher;

// Creates items for traffic no item took: the sub-factory of the item the frame reached, else
// the global device factory. New items start in ReceiveOk, take the frame that made them and are
// handed on to be added to the scheme. GUI thread.
class AutoDetector : public QObject
{
    Q_OBJECT

public:
    explicit AutoDetector(QObject *parent = nullptr);

    // Returns the items created for the pack's undispatched frames, in order.
    QList<AbstractDisplayableItem *> process(const AbstractCanHandler::MessagePack &pack);

signals:
    void itemCreated(AbstractDisplayableItem *item);

private:
    // Starts a new item on the frame that made it (a function made for a completed broadcast on
    // the reassembled message); returns the function a new unit made for that frame, if any.
    AbstractDisplayableItem *adopt(AbstractDisplayableItem *item, const CanMessage &frame,
                                   const DispatchResult &result);
};
