#pragma once

#include "can/abstractcanhandler.h"

#include <QHash>
#include <QList>
#include <QObject>

class AbstractDeviceFactory;
class AbstractDisplayableItem;
class DeviceDispatcher;

// Creates items for traffic no item took: the sub-factory of the item the frame reached, else
// the bus's catalogue; a group no entry describes gets a raw function. New items start in
// ReceiveOk, take the frame that made them and are handed on to be added to the scheme. A
// function made from an answer to a request (any requester's, seen in the packs) is
// event-driven; any other periodic one learns its period from its frames. GUI thread.
class AutoDetector : public QObject
{
    Q_OBJECT

public:
    // How long after a request a frame of the requested group is taken as the answer: the
    // requester's time-out (J1939-21 T3), twice that for a message of the transport protocol.
    static constexpr qint64 AnswerWindowMs = 1250;

    explicit AutoDetector(QObject *parent = nullptr);

    // The bus's catalogue new units come from; none are made without one. Not owned.
    void setCatalogue(AbstractDeviceFactory *catalogue) { m_catalogue = catalogue; }

    // Whether groups without a description get a raw function (on by default).
    void setListsUndescribedGroups(bool on) { m_listsUndescribed = on; }

    // Returns the items created for the pack's undispatched frames, in order.
    QList<AbstractDisplayableItem *> process(const AbstractCanHandler::MessagePack &pack);

signals:
    void itemCreated(AbstractDisplayableItem *item);

private:
    // Starts a new item on the frame that made it (a function made for a completed broadcast on
    // the reassembled message); returns the function a new unit made for that frame, if any.
    AbstractDisplayableItem *adopt(AbstractDisplayableItem *item, const CanMessage &frame,
                                   const DispatchResult &result);
    AbstractDisplayableItem *createFrom(AbstractDeviceFactory *factory, const CanMessage &frame,
                                        const DispatchResult &result) const;
    // Event-driven when the frame answers a request, else learning its period.
    void chooseSupervision(AbstractDisplayableItem *item, const DispatchResult &result) const;
    void noteRequest(const CanMessage &frame, qint64 stamp);

    bool m_listsUndescribed = true;
    AbstractDeviceFactory *m_catalogue = nullptr;
    // Requested groups (PS | PF << 8, PS cleared for PDU1) and when they were last requested.
    QHash<quint32, qint64> m_requested;
};
