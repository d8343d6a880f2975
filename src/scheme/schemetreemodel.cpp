#include "scheme/schemetreemodel.h"

#include "model/abstractdisplayableitem.h"
#include "scheme/abstractschemetreeitem.h"

#include <QDebug>
#include <QSize>

#include <algorithm>

namespace {

// Items, not QObject children: the bus thread changes a registered item's QObject children, and
// children() gives this thread a copy it may walk.
void dumpTree(const AbstractDisplayableItem *item, int depth)
{
    qDebug("%s%s %s", QByteArray(depth * 2, ' ').constData(), item->metaObject()->className(),
           qUtf8Printable(item->objectName()));
    for (const AbstractDisplayableItem *child : item->children())
        dumpTree(child, depth + 1);
}
} // namespace

SchemeTreeModel::SchemeTreeModel(QObject *parent)
    : QAbstractItemModel(parent)
{}

SchemeTreeModel::~SchemeTreeModel()
{
    qDeleteAll(m_items);
    m_items.clear();
}

int SchemeTreeModel::rowCount(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return m_items.size();
    if (parent.column() > 0)
        return 0;
    const AbstractSchemeTreeItem *node = item(parent);
    return node ? node->childNodes().size() : 0;
}

int SchemeTreeModel::columnCount(const QModelIndex &) const
{
    return ColumnCount;
}

QModelIndex SchemeTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    if (column < 0 || column >= ColumnCount || row < 0)
        return {};
    const AbstractSchemeTreeItem *parentNode = item(parent);
    if (parent.isValid() && !parentNode)
        return {};
    const QList<AbstractSchemeTreeItem *> &rows = parentNode ? parentNode->childNodes() : m_items;
    if (row >= rows.size())
        return {};
    AbstractSchemeTreeItem *node = rows.at(row);
    node->setRowCache(row);
    return createIndex(row, column, node);
}

int SchemeTreeModel::rowOf(AbstractSchemeTreeItem *node) const
{
    const QList<AbstractSchemeTreeItem *> &rows
        = node->parentNode() ? node->parentNode()->childNodes() : m_items;
    const int cached = node->rowCache();
    if (cached >= 0 && cached < rows.size() && rows.at(cached) == node)
        return cached;
    const int row = rows.indexOf(node);
    node->setRowCache(row);
    return row;
}

QModelIndex SchemeTreeModel::parent(const QModelIndex &index) const
{
    AbstractSchemeTreeItem *node = item(index);
    if (!node || !node->parentNode())
        return {};
    return this->index(node->parentNode(), 0);
}

QModelIndex SchemeTreeModel::index(AbstractSchemeTreeItem *node, int column) const
{
    if (!node)
        return {};
    const int row = rowOf(node);
    if (row < 0)
        return {};
    return createIndex(row, column, node);
}

AbstractSchemeTreeItem *SchemeTreeModel::item(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this)
        return nullptr;
    return static_cast<AbstractSchemeTreeItem *>(index.internalPointer());
}

QVariant SchemeTreeModel::data(const QModelIndex &index, int role) const
{
    if (role == Qt::SizeHintRole)
        return QSize(0, RowHeight);
    const AbstractSchemeTreeItem *node = item(index);
    return node ? node->data(index.column(), role) : QVariant();
}

Qt::ItemFlags SchemeTreeModel::flags(const QModelIndex &index) const
{
    const AbstractSchemeTreeItem *node = item(index);
    if (!node)
        return Qt::NoItemFlags;
    if (index.column() > 0)
        return Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    return Qt::ItemIsSelectable | node->flags();
}

bool SchemeTreeModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    AbstractSchemeTreeItem *node = item(index);
    if (role != Qt::EditRole || !node || !node->displayable())
        return QAbstractItemModel::setData(index, value, role);
    switch (index.column()) {
    case 2:
        node->displayable()->setName(value.toString());
        emit dataChanged(index, index);
        return true;
    case 4: {
        bool ok = false;
        const int period = value.toInt(&ok);
        if (!ok)
            return false;
        // By name: the item lives in the bus thread, the slot runs there.
        QMetaObject::invokeMethod(node->displayable(), "setTransmissionInterval",
                                  Q_ARG(int, period));
        return true;
    }
    default:
        return QAbstractItemModel::setData(index, value, role);
    }
}

QVariant SchemeTreeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case 0:
        return tr("State");
    case 1:
        return tr("Address");
    case 2:
        return tr("Name");
    case 3:
        return tr("Data");
    case 4:
        return tr("Period");
    case 5:
        return tr("Event counter");
    default:
        return {};
    }
}

QModelIndex SchemeTreeModel::addItem(AbstractSchemeTreeItem *node)
{
    if (!node) {
        qDebug("No item");
        return {};
    }
    return addItem(node, node->parentNode());
}

QModelIndex SchemeTreeModel::addItem(AbstractSchemeTreeItem *node,
                                     AbstractSchemeTreeItem *parentNode)
{
    if (!node) {
        qDebug("No item");
        return {};
    }
    // A node already listed at the parent is announced again from scratch.
    node->detach();
    m_items.removeAll(node);
    if (!parentNode) {
        beginInsertRows(QModelIndex(), m_items.size(), m_items.size());
        m_items.append(node);
        node->setRowCache(m_items.size() - 1);
        endInsertRows();
    } else {
        const QModelIndex parentIndex = index(parentNode, 0);
        const int row = parentNode->childNodes().size();
        beginInsertRows(parentIndex, row, row);
        node->setParent(parentNode);
        node->setRowCache(row);
        endInsertRows();
    }
    return index(node, 0);
}

AbstractSchemeTreeItem *SchemeTreeModel::takeItem(const QModelIndex &index)
{
    AbstractSchemeTreeItem *node = item(index);
    if (!node)
        return nullptr;
    const int row = rowOf(node);
    beginRemoveRows(index.parent(), row, row);
    if (node->parentNode())
        node->detach();
    else
        m_items.removeAt(row);
    endRemoveRows();
    return node;
}

void SchemeTreeModel::clear()
{
    beginResetModel();
    const QList<AbstractSchemeTreeItem *> items = m_items;
    m_items.clear();
    qDeleteAll(items);
    endResetModel();
}

void SchemeTreeModel::sort(int column, Qt::SortOrder order)
{
    emit layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    QList<QPair<AbstractSchemeTreeItem *, int>> nodes;
    nodes.reserve(before.size());
    for (const QModelIndex &i : before)
        nodes.append({item(i), i.column()});
    // Buses stay in their order; their units sort.
    if (m_items.isEmpty() || !m_items.first()->isBus())
        std::stable_sort(
            m_items.begin(), m_items.end(),
            [column, order](const AbstractSchemeTreeItem *a, const AbstractSchemeTreeItem *b) {
                return AbstractSchemeTreeItem::lessThan(a, b, column, order);
            });
    for (AbstractSchemeTreeItem *node : qAsConst(m_items))
        node->sort(column, order);
    QModelIndexList after;
    after.reserve(nodes.size());
    for (const auto &n : qAsConst(nodes)) {
        n.first->setRowCache(-1);
        after.append(index(n.first, n.second));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged();
}

AbstractSchemeTreeItem *SchemeTreeModel::getItemForPath(const QString &path,
                                                        AbstractSchemeTreeItem *parent) const
{
    if (AbstractSchemeTreeItem *found = findPath(path, parent))
        return found;
    qDebug("Item: %s not found", qUtf8Printable(path));
    return nullptr;
}

AbstractSchemeTreeItem *SchemeTreeModel::findPath(const QString &path,
                                                  AbstractSchemeTreeItem *parent) const
{
    const QList<AbstractSchemeTreeItem *> &rows = parent ? parent->childNodes() : m_items;
    for (AbstractSchemeTreeItem *node : rows) {
        if (node->uniqueKey() == path)
            return node;
    }
    // A key begins with its parent's; a bus's row holds units of every key. Keys of one level
    // may begin alike ("a1" and "a10"): each candidate is tried.
    for (AbstractSchemeTreeItem *node : rows) {
        if (!node->isBus() && !path.startsWith(node->uniqueKey()))
            continue;
        if (AbstractSchemeTreeItem *found = findPath(path, node))
            return found;
    }
    return nullptr;
}

QList<AbstractSchemeTreeItem *> SchemeTreeModel::unitNodes() const
{
    QList<AbstractSchemeTreeItem *> units;
    for (AbstractSchemeTreeItem *node : m_items) {
        if (node->isBus())
            units += node->childNodes();
        else
            units << node;
    }
    return units;
}

QObject *SchemeTreeModel::findObject(const QStringList &path) const
{
    if (path.isEmpty())
        return nullptr;
    const QString joined = path.join(QStringLiteral("->"));
    for (AbstractSchemeTreeItem *node : unitNodes()) {
        AbstractDisplayableItem *root = node->displayable();
        if (!root || root->objectName() != path.first())
            continue;
        if (path.size() == 1)
            return root;
        if (QObject *found = root->findItem(path.last()))
            return found;
        dumpTree(root, 0);
        qDebug("Object %s not found", qUtf8Printable(joined));
        return nullptr;
    }
    qDebug("RootObject %s not found", qUtf8Printable(path.first()));
    return nullptr;
}

void SchemeTreeModel::checkForUpdates()
{
    for (AbstractSchemeTreeItem *node : qAsConst(m_items))
        update(node);
    emit refreshed();
}

void SchemeTreeModel::update(AbstractSchemeTreeItem *node)
{
    if (!node->doUpdate())
        return;
    const int row = rowOf(node);
    const QModelIndex parentIndex = node->parentNode() ? index(node->parentNode(), 0)
                                                       : QModelIndex();
    emit dataChanged(index(row, 0, parentIndex), index(row, ColumnCount - 1, parentIndex));
    for (AbstractSchemeTreeItem *child : node->childNodes())
        update(child);
}
