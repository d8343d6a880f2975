#include "scheme/schemedocument.h"

#include "model/abstractdisplayableitem.h"
#include "model/itemexpectation.h"
#include "model/zxparameter.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemetreemodel.h"

#include <QCryptographicHash>
#include <QDomDocument>
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

// What the engineer can change of one item and a file keeps, one line (an expectation adds its
// XML, written without line breaks).
QByteArray nodeText(const AbstractDisplayableItem *item, bool leaf)
{
    QByteArray text = item->key();
    text += '|' + QByteArray::number(item->address().kind) + ':'
            + QByteArray::number(item->address().value, 16);
    text += '|' + item->name().toUtf8();
    text += '|' + QByteArray::number(item->transmissionInterval());
    text += item->isFiltered() ? "|f" : "|-";
    // A device's state is made of its functions': they speak for it.
    const int mode = chosenMode(item->schemeState());
    if (leaf)
        text += '|' + QByteArray::number(mode);
    if (mode == AbstractDisplayableItem::Send || mode == AbstractDisplayableItem::Auto) {
        for (const ZxParameter *p : item->parameters())
            text += '|' + (p->isValid() ? p->toString().toUtf8() : QByteArray("n/a"));
    }
    // What the bus check expects of it, as the file keeps it.
    const ItemExpectation expectation = item->expectation();
    if (!expectation.isEmpty()) {
        QDomDocument doc;
        QDomElement element = doc.createElement(QStringLiteral("item"));
        doc.appendChild(element);
        expectation.save(element);
        text += '|' + doc.toByteArray(-1);
    }
    return text;
}

} // namespace

// Walks the tree nodes, which this thread owns, rather than the items' child lists, which the bus
// thread may change. An item the traffic brought (and everything below it) counts only once the
// engineer changed it: it is back with the traffic the next time, whether saved or not.
QByteArray SchemeDocument::nodeFingerprint(const AbstractSchemeTreeItem *node, bool automatic)
{
    const AbstractDisplayableItem *item = node->displayable();
    if (!item)
        return QByteArray();
    automatic = automatic || m_fromTraffic.contains(item);
    QByteArray children;
    for (const AbstractSchemeTreeItem *child : node->childNodes())
        children += nodeFingerprint(child, automatic);
    // Children the traffic brought leave their parent as it was.
    const QByteArray text = nodeText(item, children.isEmpty());
    if (automatic) {
        // The item as first seen is what the traffic made of it.
        const QByteArray seen = m_trafficBaseline.value(item);
        if (seen.isNull())
            m_trafficBaseline.insert(item, text);
        if ((seen.isNull() || seen == text) && children.isEmpty())
            return QByteArray();
    }
    // The end of the children: the same items under other parents differ.
    return text + '\n' + children + "<\n";
}

SchemeDocument::SchemeDocument(SchemeTreeModel *model, QObject *parent)
    : QObject(parent)
    , m_model(model)
{
    m_checkTimer.setSingleShot(true);
    m_checkTimer.setInterval(DefaultCheckDelayMs);
    connect(&m_checkTimer, &QTimer::timeout, this, &SchemeDocument::check);
    m_clean = fingerprint();
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

bool SchemeDocument::hasWritableFile() const
{
    // Paths starting with a colon are the program's resources.
    return !m_path.isEmpty() && !m_path.startsWith(QLatin1Char(':'));
}

QString SchemeDocument::changesQuestion() const
{
    if (m_path.isEmpty())
        return tr("The scheme has not been saved yet. Save it?");
    if (!hasWritableFile())
        return tr("The scheme %1 comes with the program and cannot be changed. Save your "
                  "changes to a file of your own?")
            .arg(displayName());
    return tr("The scheme %1 has changed since it was saved. Save the changes?").arg(displayName());
}

void SchemeDocument::addedFromTraffic(const AbstractDisplayableItem *item)
{
    m_fromTraffic.insert(item);
}

void SchemeDocument::setClean(const QString &path)
{
    // What the traffic brought is in the file now, or gone with the scheme it belonged to.
    m_fromTraffic.clear();
    m_trafficBaseline.clear();
    m_clean = fingerprint();
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
    const bool modified = fingerprint() != m_clean;
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

QByteArray SchemeDocument::fingerprint()
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const AbstractSchemeTreeItem *node : m_model->unitNodes())
        hash.addData(nodeFingerprint(node, false));
    if (m_settings)
        hash.addData(m_settings());
    return hash.result();
}
