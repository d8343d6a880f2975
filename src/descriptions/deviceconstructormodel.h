#pragma once

#include "descriptions/abstractdevicefactory.h"

#include <QAbstractTableModel>
#include <QPointer>

class DeviceTest;

// The "Devices" table: the entries of one factory (the bus's unit catalogue, or the sub-factory
// of the current scheme item), from which the user adds items by hand. GUI thread.
class DeviceConstructorModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int TestSchemeRole = Qt::UserRole + 1;

    explicit DeviceConstructorModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;

    AbstractDeviceFactory *factory() const { return m_factory; }
    // Shows `factory`, or the unit catalogue when null.
    void setFactory(AbstractDeviceFactory *factory);
    // The unit catalogue of the window's bus; shown at once when the units are.
    void setUnitCatalogue(AbstractDeviceFactory *catalogue);
    // False while the entry's item exists or another unit holds the entry's fixed address.
    bool isAvailable(const QModelIndex &index) const;
    // The live item already at the address the entry would take (`address` for an entry whose
    // address is chosen at creation); none when the address is free.
    AbstractDisplayableItem *occupant(const QModelIndex &index,
                                      quint32 address = ItemAddress::Unassigned) const;
    bool isDynamicAddress(const QModelIndex &index) const;
    bool hasTest(const QModelIndex &index) const;
    AbstractDisplayableItem *getDevice(const QModelIndex &index, quint32 address);
    DeviceTest *createTest(const QModelIndex &index) const;

public slots:
    void refresh();
    void slotFactoryDestroyed(QObject *factory);
    void slotFactoryDataChanged();
    // Rows whose unit was renamed since (by its address claim or the user) show the new name.
    void slotRefreshNames();

private:
    AbstractDeviceFactory::Entry entryAt(const QModelIndex &index) const;
    void follow(AbstractDeviceFactory *factory);
    static QString shownName(const AbstractDeviceFactory::Entry &e);

    QPointer<AbstractDeviceFactory> m_factory;
    QPointer<AbstractDeviceFactory> m_units;
    QStringList m_shownNames; // as last signalled, row by row; empty after a reset
};
