#pragma once

#include <QAbstractItemModel>
#include <QList>

class AbstractSchemeTreeItem;

// The scheme tree: devices as top-level rows, their functions and variables below, six columns.
// Rows are refreshed only for items that report a change. GUI thread.
class SchemeTreeModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    static constexpr int ColumnCount = 6;
    static constexpr int RowHeight = 16;

    explicit SchemeTreeModel(QObject *parent = nullptr);
    ~SchemeTreeModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &index) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;

    QModelIndex index(AbstractSchemeTreeItem *node, int column = 0) const;
    AbstractSchemeTreeItem *item(const QModelIndex &index) const;
    // The rows at the top: the units, or with several buses the buses' rows.
    const QList<AbstractSchemeTreeItem *> &topLevelItems() const { return m_items; }
    // Every unit's row, the buses' units in the buses' order.
    QList<AbstractSchemeTreeItem *> unitNodes() const;
    QModelIndex addItem(AbstractSchemeTreeItem *node);
    // Adds a node as the last row below a parent node (a top-level row when the parent is null).
    QModelIndex addItem(AbstractSchemeTreeItem *node, AbstractSchemeTreeItem *parentNode);
    AbstractSchemeTreeItem *takeItem(const QModelIndex &index);
    void clear();
    AbstractSchemeTreeItem *getItemForPath(const QString &path,
                                           AbstractSchemeTreeItem *parent = nullptr) const;
    QObject *findObject(const QStringList &path) const;

signals:
    // After every refresh pass: views that read item states outside the rows follow it.
    void refreshed();

public slots:
    void checkForUpdates();

private:
    int rowOf(AbstractSchemeTreeItem *node) const;
    AbstractSchemeTreeItem *findPath(const QString &path, AbstractSchemeTreeItem *parent) const;
    void update(AbstractSchemeTreeItem *node);

    QList<AbstractSchemeTreeItem *> m_items;
};
