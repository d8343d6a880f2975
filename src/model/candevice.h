#pragma once

#include "model/abstractdisplayableitem.h"

class QDomElement;

// A top-level item standing for one node on the bus.
class CanDevice : public AbstractDisplayableItem
{
    Q_OBJECT

public:
    explicit CanDevice(QObject *parent = nullptr);

    // True when the device matches only extended frames from its own source address: the
    // dispatcher then offers it no other frames. A subclass matching more frames returns false.
    virtual bool isAddressBound() const { return false; }
    // Text for the raw view's decoded column.
    virtual QString decodeMessage(const CanMessage &message);
    // Loads the device from its description element; false when the description is unusable.
    virtual bool applyXmlData(QDomElement &element) = 0;
    static QString schemeTag() { return QStringLiteral("device"); }
    void saveItemToXmlNodeImpl(QDomElement &element) override;
};
