#pragma once

#include <QPointer>
#include <QWidget>

class AbstractDeviceFactory;
class AbstractDisplayableItem;
class DeviceConstructorModel;
class QToolButton;

// The head of the "Devices" dock: says whose catalogue the table lists and switches between the
// units (the global device factory) and the catalogue of the item selected in the scheme tree
// (a unit's functions, a function's variables or sensors). Selecting an item shows its
// catalogue; "Units" brings the units back until the selection changes. GUI thread.
class CatalogueBar : public QWidget
{
    Q_OBJECT

public:
    explicit CatalogueBar(DeviceConstructorModel *model, QWidget *parent = nullptr);

    // The item selected in the tree, or none; an item with a catalogue of its own shows it.
    void setSelectedItem(AbstractDisplayableItem *item);
    bool showsUnits() const;

public slots:
    void showUnits();
    void showItemCatalogue();

signals:
    // The table now lists another catalogue.
    void catalogueChanged();

private:
    void updateButtons();

    DeviceConstructorModel *m_model;
    QPointer<AbstractDisplayableItem> m_item;
    QPointer<AbstractDeviceFactory> m_itemFactory;
    QToolButton *m_unitsButton;
    QToolButton *m_itemButton;
};
