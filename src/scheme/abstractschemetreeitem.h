#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QVariant>

#include <vector>

class AbstractDisplayableItem;
class QWidget;
class ZxParameterLink;

// The view-side node of one displayable item: its child rows, the links that keep editors in step
// with the item's parameters, and its editor. GUI thread; the item itself may live in the bus
// thread and is only read (its texts and flags are guarded there).
class AbstractSchemeTreeItem : public QObject
{
    Q_OBJECT

public:
    explicit AbstractSchemeTreeItem(AbstractDisplayableItem *displayable);
    ~AbstractSchemeTreeItem() override;

    AbstractDisplayableItem *displayable() const { return m_displayable; }
    AbstractSchemeTreeItem *parentNode() const { return m_parent; }
    const QList<AbstractSchemeTreeItem *> &childNodes() const { return m_children; }
    void setParent(AbstractSchemeTreeItem *newParent);
    // Detaches the node from its parent's rows without giving it a new one.
    void detach();
    int rowCache() const { return m_row; }
    void setRowCache(int row) { m_row = row; }
    const std::vector<ZxParameterLink *> &links() const { return m_links; }
    bool isUpdating() const { return m_updating; }

    // The row of a bus in a window with several, above its units.
    virtual bool isBus() const { return false; }
    // The row of a unit (a device at the top of the tree or below its bus's row).
    bool isUnit() const;
    virtual QVariant data(int column, int role) const;
    virtual bool doUpdate();
    virtual QWidget *getWidget();
    virtual void putWidget();
    virtual QWidget *createWidget(unsigned int kind);
    virtual QWidget *createWidget();

    Qt::ItemFlags flags() const;
    QWidget *getNewWidget(unsigned int kind = 0);
    QWidget *createParameterWidget(int index);
    // An editor of one parameter standing on its own (in a scheme tab): closed with this node
    // like the editors of getNewWidget, since it shows this node's link.
    QWidget *getNewParameterWidget(int index);
    QString uniqueKey() const;
    // The same key for an item that has no tree node (the addresses and names of its ancestors).
    static QString uniqueKeyOf(const AbstractDisplayableItem *item);
    // The key of the row of bus `number`, which begins the keys of its items but the first
    // bus's.
    static QString busKey(int number);
    QString uniqueName() const;
    void sort(int column, Qt::SortOrder order);
    static bool lessThan(const AbstractSchemeTreeItem *a, const AbstractSchemeTreeItem *b,
                         int column, Qt::SortOrder order);
    static QString stateIconPath(int state);
    // The state the scheme shows for an item: a function that has received nothing is neither on
    // time nor late (Unknown), and a unit whose functions disagree shows the worst state of those
    // it has heard from (Mixed only when it has heard from none).
    static int shownState(const AbstractDisplayableItem *item);
    static constexpr int SubFactoryRole = Qt::UserRole + 1;

protected:
    // The default editor: a form of the parameters, or one group box per child row.
    QWidget *createDefaultWidget();

private:
    QString toolTip(int column) const;

    AbstractDisplayableItem *m_displayable;
    AbstractSchemeTreeItem *m_parent = nullptr;
    QList<AbstractSchemeTreeItem *> m_children;
    QPointer<QWidget> m_widget;
    QList<QPointer<QWidget>> m_extraWidgets;
    int m_row = -1;
    std::vector<ZxParameterLink *> m_links;
    bool m_updating = false;
};
