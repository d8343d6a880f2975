#include "descriptions/deviceconstructormodel.h"

#include "descriptions/candevicefactory.h"
#include "model/abstractdisplayableitem.h"
#include "model/descriptiontext.h"
#include "model/liveitems.h"

#include <QBrush>
#include <QIcon>

namespace {

const char *const KindIcons[] = {
    nullptr,
    ":/icons/devices/sidx24.png",
    ":/icons/devices/eidx24.png",
    ":/icons/devices/j1939x24.png",
    ":/icons/devices/j1939pgnx24.png",
    ":/icons/devices/zbusx24.png",
    ":/icons/devices/varx24.png",
};

} // namespace

DeviceConstructorModel::DeviceConstructorModel(QObject *parent)
    : QAbstractTableModel(parent)
{
    // Rows may stand for other entries after a reset: the names are read anew.
    connect(this, &QAbstractItemModel::modelReset, this, [this] { m_shownNames.clear(); });
}

void DeviceConstructorModel::setUnitCatalogue(AbstractDeviceFactory *catalogue)
{
    if (catalogue == m_units)
        return;
    const bool showingUnits = !m_factory || m_factory == m_units;
    m_units = catalogue;
    if (showingUnits)
        setFactory(nullptr);
}

AbstractDeviceFactory::Entry DeviceConstructorModel::entryAt(const QModelIndex &index) const
{
    if (!m_factory || !index.isValid())
        return std::nullopt;
    return m_factory->entry(index.row());
}

int DeviceConstructorModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_factory ? 0 : m_factory->count();
}

int DeviceConstructorModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant DeviceConstructorModel::data(const QModelIndex &index, int role) const
{
    const AbstractDeviceFactory::Entry e = entryAt(index);
    if (!e)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return index.column() == 0 ? m_factory->humanReadableAddress(index.row()) : shownName(e);
    case Qt::DecorationRole:
        if (index.column() == 0) {
            const int kind = e->address.kind;
            if (kind >= 1 && kind <= 6)
                return QIcon(QLatin1String(KindIcons[kind]));
            return {};
        }
        return e->testScheme.isEmpty() ? QVariant() : QIcon(QStringLiteral(":/icons/test.png"));
    case Qt::ToolTipRole: {
        // The dock is narrow and cuts long names: the tip holds the whole name, then what the
        // entry is when its description says more.
        const QString name = shownName(e);
        const QString description = tr(e->description.toUtf8().constData());
        if (description.isEmpty() || description == name
            || DescriptionText::isPlaceholder(description))
            return name;
        return name + QLatin1Char('\n') + description;
    }
    case Qt::BackgroundRole:
        return isAvailable(index) ? QVariant() : QVariant(QBrush(Qt::gray));
    case TestSchemeRole:
        return e->testScheme.isEmpty() ? QVariant() : QVariant(e->testScheme);
    default:
        return {};
    }
}

QVariant DeviceConstructorModel::headerData(int section, Qt::Orientation orientation,
                                            int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == 0 ? tr("Address") : section == 1 ? tr("Name") : QVariant();
}

void DeviceConstructorModel::follow(AbstractDeviceFactory *factory)
{
    m_factory = factory;
    if (!factory)
        return;
    connect(factory, &AbstractDeviceFactory::dataChanged, this,
            &DeviceConstructorModel::slotFactoryDataChanged);
    if (factory != m_units)
        connect(factory, &QObject::destroyed, this, &DeviceConstructorModel::slotFactoryDestroyed);
}

void DeviceConstructorModel::setFactory(AbstractDeviceFactory *factory)
{
    if (!factory)
        factory = m_units;
    if (factory == m_factory)
        return;
    beginResetModel();
    if (m_factory)
        disconnect(m_factory, nullptr, this, nullptr);
    follow(factory);
    endResetModel();
}

void DeviceConstructorModel::slotFactoryDestroyed(QObject *)
{
    beginResetModel();
    follow(m_units);
    endResetModel();
}

void DeviceConstructorModel::slotFactoryDataChanged()
{
    // Entries may have been appended or removed: a reset keeps views consistent.
    beginResetModel();
    endResetModel();
}

QString DeviceConstructorModel::shownName(const AbstractDeviceFactory::Entry &e)
{
    if (!e)
        return QString();
    // An entry made for a unit found on the bus names that unit, which its address claim or
    // the user may have renamed since.
    QString name;
    if (e->derived && e->instance
        && LiveItems::visit(e->instance,
                            [&name](const AbstractDisplayableItem &item) { name = item.name(); }))
        return name;
    return DescriptionText::translated(e->name);
}

void DeviceConstructorModel::slotRefreshNames()
{
    const int rows = rowCount();
    if (m_shownNames.size() != rows) {
        m_shownNames.clear();
        for (int row = 0; row < rows; ++row)
            m_shownNames << shownName(m_factory->entry(row));
        if (rows > 0)
            emit dataChanged(index(0, 1), index(rows - 1, 1), {Qt::DisplayRole});
        return;
    }
    for (int row = 0; row < rows; ++row) {
        const QString name = shownName(m_factory->entry(row));
        if (name == m_shownNames.at(row))
            continue;
        m_shownNames[row] = name;
        emit dataChanged(index(row, 1), index(row, 1), {Qt::DisplayRole});
    }
}

void DeviceConstructorModel::refresh()
{
    beginResetModel();
    endResetModel();
}

void DeviceConstructorModel::sort(int column, Qt::SortOrder order)
{
    if (!m_factory)
        return;
    beginResetModel();
    const QSignalBlocker blocker(m_factory);
    if (column == 0)
        m_factory->sortByAddress(order);
    else
        m_factory->sortByName(order);
    endResetModel();
}

bool DeviceConstructorModel::isAvailable(const QModelIndex &index) const
{
    const AbstractDeviceFactory::Entry e = entryAt(index);
    return e && !e->instance && !m_factory->occupant(e->address);
}

AbstractDisplayableItem *DeviceConstructorModel::occupant(const QModelIndex &index,
                                                          quint32 address) const
{
    const AbstractDeviceFactory::Entry e = entryAt(index);
    if (!e)
        return nullptr;
    if (e->instance)
        return e->instance;
    if (!e->hasDynamicAddress())
        return m_factory->occupant(e->address);
    if (address == ItemAddress::Unassigned)
        return nullptr;
    return m_factory->occupant({e->address.kind, address});
}

bool DeviceConstructorModel::hasTest(const QModelIndex &index) const
{
    const AbstractDeviceFactory::Entry e = entryAt(index);
    return e && e->createTest;
}

bool DeviceConstructorModel::isDynamicAddress(const QModelIndex &index) const
{
    const AbstractDeviceFactory::Entry e = entryAt(index);
    return e && e->hasDynamicAddress();
}

AbstractDisplayableItem *DeviceConstructorModel::getDevice(const QModelIndex &index,
                                                           quint32 address)
{
    const AbstractDeviceFactory::Entry e = entryAt(index);
    if (!e)
        return nullptr;
    const ItemAddress a = address == ItemAddress::Unassigned
                              ? AbstractDeviceFactory::NoAddress
                              : ItemAddress{e->address.kind, address};
    AbstractDisplayableItem *item = m_factory->createDeviceAt(index.row(), a);
    if (item)
        refresh();
    return item;
}

DeviceTest *DeviceConstructorModel::createTest(const QModelIndex &index) const
{
    const AbstractDeviceFactory::Entry e = entryAt(index);
    if (!e || !e->instance || !e->createTest)
        return nullptr;
    return e->createTest(e->instance);
}
