#include "scheme/schemebusnode.h"

#include "can/busnames.h"
#include "model/devicedispatcher.h"

#include <QBrush>
#include <QFont>

SchemeBusItem::SchemeBusItem(DeviceDispatcher *bus, QObject *parent)
    : AbstractDisplayableItem(parent)
    , m_bus(bus)
{
    setObjectName(QStringLiteral("bus"));
    setName(busName());
}

QString SchemeBusItem::busName() const
{
    return BusNames::defaultName(quint8(m_bus ? m_bus->busNumber() : 0));
}

AbstractSchemeTreeItem *SchemeBusItem::createTreeItem()
{
    return new SchemeBusNode(this);
}

SchemeBusNode::SchemeBusNode(SchemeBusItem *bus)
    : AbstractSchemeTreeItem(bus)
{}

SchemeBusItem *SchemeBusNode::busItem() const
{
    return static_cast<SchemeBusItem *>(displayable());
}

QVariant SchemeBusNode::data(int column, int role) const
{
    const SchemeBusItem *bus = busItem();
    switch (role) {
    case Qt::DisplayRole:
        if (column == 1)
            return bus->busName();
        if (column == 2)
            return bus->description();
        if (column == 3)
            return tr("%n unit(s)", nullptr, childNodes().size());
        return {};
    case Qt::ToolTipRole:
        return tr("Bus %1: %2").arg(bus->busName(), bus->description());
    case Qt::FontRole: {
        QFont font;
        font.setBold(true);
        return font;
    }
    default:
        return {};
    }
}
