#include "scheme/schemedocument.h"

#include "model/abstractdisplayableitem.h"
#include "model/zxparameter.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemetreemodel.h"

#include <QCryptographicHash>
#include <QFileInfo>

namespace {

// The state the engineer chose: receive states follow the traffic and count as one.
int chosenMode(int state)
{
    switch (state) {
    case AbstractDisplayableItem::Send:
    case AbstractDisplayableItem::Auto:
        return state;
    default:
        return AbstractDisplayableItem::ReceiveOk;
    }
}

// Walks the tree nodes, which this thread owns, rather than the items' child lists, which the bus
// thread may change.
void addNode(QCryptographicHash &hash, const AbstractSchemeTreeItem *node)
{
    const AbstractDisplayableItem *item = node->displayable();
    if (!item)
        return;
    QByteArray text = item->key();
    text += '|' + QByteArray::number(item->address().kind) + ':'
            + QByteArray::number(item->address().value, 16);
    text += '|' + item->name().toUtf8();
    text += '|' + QByteArray::number(item->transmissionInterval());
    text += item->isFiltered() ? "|f" : "|-";
    // A device's state is made of its functions': they speak for it.
    const int mode = chosenMode(item->schemeState());
    if (node->childNodes().isEmpty())
        text += '|' + QByteArray::number(mode);
    if (mode == AbstractDisplayableItem::Send || mode == AbstractDisplayableItem::Auto) {
        for (const ZxParameter *p : item->parameters())
            text += '|' + (p->isValid() ? p->toString().toUtf8() : QByteArray("n/a"));
    }
    hash.addData(text + '\n');
    for (const AbstractSchemeTreeItem *child : node->childNodes())
        addNode(hash, child);
    hash.addData("<\n"); // the end of the children: the same items under other parents differ
}

} // namespace

SchemeDocument::SchemeDocument(SchemeTreeModel *model, QObject *parent)
    : QObject(parent)
    , m_model(model)
{
    m_checkTimer.setSingleShot(true);
    m_checkTimer.setInterval(DefaultCheckDelayMs);
    connect(&m_checkTimer, &QTimer::timeout, this, &SchemeDocument::check);
    m_clean = fingerprint(model);
    // Traffic refreshes rows all the time: the timer is started, not restarted, so the check
    // runs at most once per delay and never starves.
    connect(model, &QAbstractItemModel::rowsInserted, this, &SchemeDocument::scheduleCheck);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &SchemeDocument::scheduleCheck);
    connect(model, &QAbstractItemModel::modelReset, this, &SchemeDocument::scheduleCheck);
    connect(model, &QAbstractItemModel::dataChanged, this, &SchemeDocument::scheduleCheck);
}

QString SchemeDocument::displayName() const
{
    return m_path.isEmpty() ? tr("Untitled") : QFileInfo(m_path).fileName();
}

void SchemeDocument::setClean(const QString &path)
{
    m_clean = fingerprint(m_model);
    if (m_path != path) {
        m_path = path;
        emit filePathChanged(path);
    }
    if (m_modified) {
        m_modified = false;
        emit modifiedChanged(false);
    }
}

bool SchemeDocument::check()
{
    const bool modified = fingerprint(m_model) != m_clean;
    if (modified != m_modified) {
        m_modified = modified;
        emit modifiedChanged(modified);
    }
    return modified;
}

void SchemeDocument::scheduleCheck()
{
    if (!m_checkTimer.isActive())
        m_checkTimer.start();
}

QByteArray SchemeDocument::fingerprint(const SchemeTreeModel *model)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const AbstractSchemeTreeItem *node : model->topLevelItems())
        addNode(hash, node);
    return hash.result();
}
