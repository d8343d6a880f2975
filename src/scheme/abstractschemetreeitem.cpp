#include "scheme/abstractschemetreeitem.h"

#include "descriptions/abstractdevicefactory.h"
#include "descriptions/unitnames.h"
#include "model/abstractdisplayableitem.h"
#include "model/descriptiontext.h"
#include "model/devicedispatcher.h"
#include "model/editors/wheelguard.h"
#include "model/transmissionperiod.h"
#include "model/zxparameter.h"
#include "model/zxparameterlink.h"
#include "scheme/schemebusnode.h"

#include <QBrush>
#include <QFormLayout>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>


namespace {

const char *const StateIconFiles[] = {
    ":/icons/devicestate/unknown.png",         ":/icons/devicestate/auto.png",
    ":/icons/devicestate/send.png",            ":/icons/devicestate/receive-ok.png",
    ":/icons/devicestate/receive-warning.png", ":/icons/devicestate/receive-error.png",
    ":/icons/devicestate/receive-forced.png",
};

bool isReceiveState(int state)
{
    return state == AbstractDisplayableItem::ReceiveOk
           || state == AbstractDisplayableItem::ReceiveWarning
           || state == AbstractDisplayableItem::ReceiveError;
}

bool addressLess(const AbstractDisplayableItem *a, const AbstractDisplayableItem *b)
{
    const ItemAddress x = a->address();
    const ItemAddress y = b->address();
    if (x.kind != y.kind)
        return x.kind < y.kind;
    return x.value < y.value;
}

// The Period column: a periodic item shows the period it keeps (the engineer's or its
// description's; 0 when it has none), any other item what its traffic measures.
int shownPeriod(const AbstractDisplayableItem *item)
{
    const int declared = item->transmissionInterval();
    return TransmissionPeriod::isPeriodic(item) && declared >= 0 ? declared : item->period();
}

// One line of the row's tool tip: that the bus check expects something of the item, and what.
QString expectationSummary(const ItemExpectation &x)
{
    QStringList parts;
    switch (x.presence) {
    case ItemExpectation::Present:
        parts << AbstractSchemeTreeItem::tr("present");
        break;
    case ItemExpectation::Absent:
        parts << AbstractSchemeTreeItem::tr("absent");
        break;
    case ItemExpectation::Intermittent:
        parts << AbstractSchemeTreeItem::tr("may fall silent");
        break;
    case ItemExpectation::DefaultPresence:
        break;
    }
    if (x.eventDriven)
        parts << AbstractSchemeTreeItem::tr("on request or on a change");
    else if (x.periodMs > 0 && x.tolerancePercent > 0)
        parts << AbstractSchemeTreeItem::tr("every %1 ms ± %2 %")
                     .arg(x.periodMs)
                     .arg(x.tolerancePercent);
    else if (x.periodMs > 0)
        parts << AbstractSchemeTreeItem::tr("every %1 ms").arg(x.periodMs);
    else if (x.tolerancePercent > 0)
        parts << AbstractSchemeTreeItem::tr("period ± %1 %").arg(x.tolerancePercent);
    if (!x.ranges.isEmpty())
        parts << AbstractSchemeTreeItem::tr("value ranges: %1").arg(x.ranges.size());
    if (!x.name.isEmpty())
        parts << AbstractSchemeTreeItem::tr("NAME %1").arg(x.name);
    if (!x.software.isEmpty())
        parts << AbstractSchemeTreeItem::tr("software %1").arg(x.software);
    if (!x.codes.isEmpty())
        parts << AbstractSchemeTreeItem::tr("allowed codes: %1").arg(x.codes.size());
    if (!x.groups.isEmpty())
        parts << AbstractSchemeTreeItem::tr("other groups: %1").arg(x.groups.size());
    return AbstractSchemeTreeItem::tr("Expected: %1").arg(parts.join(QStringLiteral(", ")));
}

} // namespace

AbstractSchemeTreeItem::AbstractSchemeTreeItem(AbstractDisplayableItem *displayable)
    : m_displayable(displayable)
{
    static const int registered = qRegisterMetaType<AbstractDeviceFactory *>(
        "AbstractDeviceFactory*");
    Q_UNUSED(registered)
    if (!displayable)
        return;
    for (AbstractDisplayableItem *child : displayable->children()) {
        if (AbstractSchemeTreeItem *node = child->treeItem())
            node->setParent(this);
    }
    for (ZxParameter *parameter : displayable->parameters()) {
        ZxParameterLink *link = parameter->createDefaultLink();
        link->setParent(this);
        link->setDisplayable(displayable);
        m_links.push_back(link);
    }
}

AbstractSchemeTreeItem::~AbstractSchemeTreeItem()
{
    detach();
    const QList<AbstractSchemeTreeItem *> children = m_children;
    m_children.clear();
    for (AbstractSchemeTreeItem *child : children) {
        child->m_parent = nullptr;
        delete child;
    }
    // Editors show this node's links: they go with it.
    delete m_widget.data();
    for (const QPointer<QWidget> &w : qAsConst(m_extraWidgets))
        delete w.data();
}

void AbstractSchemeTreeItem::detach()
{
    if (m_parent)
        m_parent->m_children.removeAll(this);
    m_parent = nullptr;
}

void AbstractSchemeTreeItem::setParent(AbstractSchemeTreeItem *newParent)
{
    detach();
    m_parent = newParent;
    if (newParent)
        newParent->m_children.append(this);
}

QString AbstractSchemeTreeItem::stateIconPath(int state)
{
    if (state < 0 || state >= int(std::size(StateIconFiles)))
        return QStringLiteral(":/icons/devicestate/dummy.png");
    return QLatin1String(StateIconFiles[state]);
}

int AbstractSchemeTreeItem::shownState(const AbstractDisplayableItem *item)
{
    const int state = item->state();
    if (state == AbstractDisplayableItem::Mixed) {
        // Receive states order from on time to silent: the worst is the largest.
        int worst = -1;
        for (const AbstractDisplayableItem *child : item->children()) {
            const int s = shownState(child);
            if (isReceiveState(s))
                worst = std::max(worst, s);
        }
        return worst < 0 ? state : worst;
    }
    if (isReceiveState(state) && item->children().isEmpty() && item->totalEvents() == 0)
        return AbstractDisplayableItem::Unknown;
    return state;
}

QVariant AbstractSchemeTreeItem::data(int column, int role) const
{
    const AbstractDisplayableItem *d = m_displayable;
    if (!d)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        switch (column) {
        case 1:
            return d->userReadableAddress();
        case 2:
            // A unit's name may come from the catalogue of units, made in another language.
            return d->parentItem() ? DescriptionText::translated(d->name())
                                   : UnitNames::translated(d->name());
        case 3:
            return d->summaryText();
        case 4:
            return shownPeriod(d);
        case 5:
            return quint64(d->totalEvents());
        default:
            return {};
        }
    case Qt::DecorationRole: {
        if (column != 0)
            return {};
        // Icons are cached per path by Qt's pixmap cache; a QIcon per state keeps it cheap.
        static QHash<int, QIcon> icons;
        const int state = shownState(d);
        auto it = icons.find(state);
        if (it == icons.end())
            it = icons.insert(state, QIcon(stateIconPath(state)));
        return *it;
    }
    case Qt::ToolTipRole:
        return toolTip(column);
    case Qt::BackgroundRole:
        if (d->hasFlag(AbstractDisplayableItem::NewFlag))
            return QBrush(Qt::darkGreen);
        if (d->hasFlag(AbstractDisplayableItem::ChangedFlag))
            return QBrush(Qt::lightGray);
        if (column == 1 && !d->parent())
            return QBrush(Qt::cyan);
        return {};
    case SubFactoryRole:
        return QVariant::fromValue(const_cast<AbstractDisplayableItem *>(d)->subFactory());
    default:
        return {};
    }
}

QString AbstractSchemeTreeItem::toolTip(int column) const
{
    const AbstractDisplayableItem *d = m_displayable;
    const QString description
        = DescriptionText::isPlaceholder(d->description()) ? QString() : d->description();
    QStringList lines;
    // The address, name and data columns cut long texts: the tip starts with the whole text
    // (as a subclass shows it), unless the description says the same.
    if (column >= 1 && column <= 3) {
        const QString shown = data(column, Qt::DisplayRole).toString();
        if (!shown.isEmpty() && shown != description)
            lines << shown;
    }
    if (!description.isEmpty())
        lines << description;
    if (d->transmissionInterval() > 0)
        lines << tr("Declared period: %1").arg(d->transmissionInterval());
    else if (TransmissionPeriod::isPeriodic(d))
        lines << tr("No period: not checked for time-outs, not sent periodically");
    if (TransmissionPeriod::isPeriodic(d) && d->period() > 0)
        lines << tr("Measured period: %1 ms").arg(d->period());
    const ItemExpectation expectation = d->expectation();
    if (!expectation.isEmpty())
        lines << expectationSummary(expectation);
    return lines.join(QLatin1Char('\n'));
}

Qt::ItemFlags AbstractSchemeTreeItem::flags() const
{
    if (m_displayable && m_displayable->hasFlag(AbstractDisplayableItem::ActivityFlag))
        return Qt::ItemIsEnabled;
    return Qt::NoItemFlags;
}

bool AbstractSchemeTreeItem::doUpdate()
{
    if (!m_displayable || !m_displayable->isUpdateNeeded())
        return false;
    m_displayable->setUpdateNeeded(false);
    m_updating = true;
    for (ZxParameterLink *link : m_links)
        link->doUpdate();
    m_updating = false;
    return true;
}

QWidget *AbstractSchemeTreeItem::getWidget()
{
    if (!m_widget) {
        m_widget = createWidget();
        WheelGuard::install(m_widget);
    }
    return m_widget;
}

QWidget *AbstractSchemeTreeItem::getNewWidget(unsigned int kind)
{
    QWidget *w = createWidget(kind);
    if (w) {
        WheelGuard::install(w);
        m_extraWidgets.append(w);
    }
    // Forget editors that were closed meanwhile.
    m_extraWidgets.removeAll(QPointer<QWidget>());
    return w;
}

void AbstractSchemeTreeItem::putWidget()
{
    for (AbstractSchemeTreeItem *child : qAsConst(m_children))
        child->putWidget();
    delete m_widget.data();
    m_widget = nullptr;
}

QWidget *AbstractSchemeTreeItem::createWidget(unsigned int)
{
    return createWidget();
}

QWidget *AbstractSchemeTreeItem::createWidget()
{
    return createDefaultWidget();
}

QWidget *AbstractSchemeTreeItem::createDefaultWidget()
{
    auto *widget = new QWidget;
    if (!m_links.empty()) {
        auto *form = new QFormLayout(widget);
        const QString note = m_displayable ? m_displayable->detailsNote() : QString();
        if (!note.isEmpty()) {
            auto *label = new QLabel(note, widget);
            label->setObjectName(QStringLiteral("detailsNote"));
            label->setWordWrap(true);
            form->addRow(label);
        }
        for (ZxParameterLink *link : m_links) {
            if (link->parameter()->isHidden())
                continue;
            bool labelled = false;
            const char *signal = nullptr;
            QWidget *editor = link->createWidget(&labelled, &signal);
            if (!editor)
                continue;
            if (labelled)
                form->addRow(link->parameter()->label(), editor);
            else
                form->addRow(editor);
        }
        return widget;
    }
    auto *box = new QVBoxLayout(widget);
    for (AbstractSchemeTreeItem *child : qAsConst(m_children)) {
        auto *group = new QGroupBox(child->data(2, Qt::DisplayRole).toString(), widget);
        auto *inner = new QVBoxLayout(group);
        if (QWidget *editor = child->createWidget())
            inner->addWidget(editor);
        box->addWidget(group);
    }
    box->addStretch(1);
    return widget;
}

QWidget *AbstractSchemeTreeItem::createParameterWidget(int index)
{
    if (index < 0 || index >= int(m_links.size()))
        return nullptr;
    const char *signal = nullptr;
    return m_links.at(size_t(index))->createWidget(&signal);
}

QWidget *AbstractSchemeTreeItem::getNewParameterWidget(int index)
{
    QWidget *w = createParameterWidget(index);
    if (w) {
        WheelGuard::install(w);
        m_extraWidgets.append(w);
    }
    m_extraWidgets.removeAll(QPointer<QWidget>());
    return w;
}

bool AbstractSchemeTreeItem::isUnit() const
{
    return m_displayable && !isBus() && (!m_parent || m_parent->isBus());
}

QString AbstractSchemeTreeItem::uniqueKey() const
{
    return uniqueKeyOf(m_displayable);
}

QString AbstractSchemeTreeItem::uniqueKeyOf(const AbstractDisplayableItem *displayable)
{
    if (const auto *bus = qobject_cast<const SchemeBusItem *>(displayable))
        return busKey(bus->bus() ? bus->bus()->busNumber() : 0);
    QStringList levels;
    for (const QObject *o = displayable; o; o = o->parent()) {
        const auto *item = qobject_cast<const AbstractDisplayableItem *>(o);
        if (!item)
            break;
        levels.prepend(QString::number(item->address().value, 16) + item->objectName());
    }
    // The first bus keeps the keys of a window with one; the items of the others say their bus,
    // since two buses may each have a unit at one address.
    const DeviceDispatcher *bus = displayable ? displayable->dispatcher() : nullptr;
    const int number = bus ? bus->busNumber() : 0;
    const QString key = levels.join(QLatin1Char(':'));
    return number > 0 ? busKey(number) + QLatin1Char('/') + key : key;
}

QString AbstractSchemeTreeItem::busKey(int number)
{
    return QStringLiteral("bus%1").arg(number);
}

QString AbstractSchemeTreeItem::uniqueName() const
{
    QStringList levels;
    for (const AbstractSchemeTreeItem *n = this; n; n = n->m_parent) {
        levels.prepend(QStringLiteral("[%1] ").arg(n->data(1, Qt::DisplayRole).toString())
                       + n->data(2, Qt::DisplayRole).toString());
    }
    return levels.join(QStringLiteral(" - "));
}

bool AbstractSchemeTreeItem::lessThan(const AbstractSchemeTreeItem *a,
                                      const AbstractSchemeTreeItem *b, int column,
                                      Qt::SortOrder order)
{
    if (order == Qt::DescendingOrder)
        std::swap(a, b);
    const AbstractDisplayableItem *x = a->m_displayable;
    const AbstractDisplayableItem *y = b->m_displayable;
    if (!x || !y)
        return !x && y;
    switch (column) {
    case 0:
        return x->state() < y->state();
    case 2:
        return x->name() < y->name();
    case 4:
        return shownPeriod(x) < shownPeriod(y);
    default:
        return addressLess(x, y);
    }
}

void AbstractSchemeTreeItem::sort(int column, Qt::SortOrder order)
{
    std::stable_sort(m_children.begin(), m_children.end(),
                     [column, order](const AbstractSchemeTreeItem *a,
                                     const AbstractSchemeTreeItem *b) {
                         return lessThan(a, b, column, order);
                     });
    for (AbstractSchemeTreeItem *child : qAsConst(m_children))
        child->sort(column, order);
}
