#pragma once

#include "model/abstractdisplayableitem.h"
#include "scheme/abstractschemetreeitem.h"

class DeviceDispatcher;

// A bus of a window with several: the row at the top of the tree its units are listed under.
// It stands for the bus and decodes nothing; it is never registered with a dispatcher. GUI
// thread.
class SchemeBusItem : public AbstractDisplayableItem
{
    Q_OBJECT

public:
    explicit SchemeBusItem(DeviceDispatcher *bus, QObject *parent = nullptr);

    DeviceDispatcher *bus() const { return m_bus; }
    // The bus's name (can0, can1, after its number).
    QString busName() const;
    // What the bus is: its adapter and port.
    QString description() const { return m_description; }
    void setDescription(const QString &text) { m_description = text; }

    bool matchMessage(const CanMessage &) override { return false; }
    AbstractSchemeTreeItem *createTreeItem() override;

private:
    DeviceDispatcher *m_bus;
    QString m_description;
};

// The row of a bus: its name and what it is, nothing to edit.
class SchemeBusNode : public AbstractSchemeTreeItem
{
    Q_OBJECT

public:
    explicit SchemeBusNode(SchemeBusItem *bus);

    SchemeBusItem *busItem() const;
    bool isBus() const override { return true; }
    QVariant data(int column, int role) const override;
};
