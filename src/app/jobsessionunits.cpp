// The units of a service job's buses, as its journal and report name them, and the samples of
// its bus's units' parameters that the fault snapshots plot.
#include "app/jobsession.h"
#include "buscheck/buschecker.h"
#include "can/abstractcanhandler.h"
#include "diagnostics/journalnotes.h"
#include "job/jobbustap.h"
#include "job/parameterring.h"
#include "model/devicedispatcher.h"
#include "model/j1939device.h"
#include "model/zxparameter.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemetreemodel.h"

#include <limits>

QList<AbstractSchemeTreeItem *> JobSession::jobUnits(const AbstractCanMessageDispatcher *bus) const
{
    // Each bus has its own addresses; without a bus, every unit of the window.
    QList<AbstractSchemeTreeItem *> units;
    for (AbstractSchemeTreeItem *node : m_model->unitNodes()) {
        const AbstractDisplayableItem *unit = node->displayable();
        const AbstractCanMessageDispatcher *unitBus = unit ? unit->dispatcher() : nullptr;
        if (unit && (!bus || unitBus == bus))
            units << node;
    }
    return units;
}

QMap<quint8, QString> JobSession::unitLabels(const AbstractCanMessageDispatcher *bus) const
{
    QMap<quint8, QString> labels;
    if (!m_model)
        return labels;
    for (AbstractSchemeTreeItem *node : jobUnits(bus)) {
        const auto *unit = qobject_cast<const J1939Device *>(node->displayable());
        if (unit && unit->address().value <= 0xFD)
            labels.insert(quint8(unit->address().value),
                          JournalNotes::unitLabel(quint8(unit->address().value), unit->name()));
    }
    return labels;
}

QString JobSession::unitName(quint8 address) const
{
    if (!m_model)
        return QString();
    for (AbstractSchemeTreeItem *node : jobUnits(m_handler ? m_handler->dispatcher() : nullptr)) {
        const auto *unit = qobject_cast<const J1939Device *>(node->displayable());
        if (unit && unit->address().value == address)
            return unit->name();
    }
    return QString();
}

void JobSession::sample()
{
    if (!m_model || !m_parameters || !m_tap)
        return;
    const qint64 nowUs = m_tap->nowUs();
    for (AbstractSchemeTreeItem *node : jobUnits(m_handler ? m_handler->dispatcher() : nullptr)) {
        const auto *unit = qobject_cast<const J1939Device *>(node->displayable());
        if (!unit || unit->address().value > 0xFD)
            continue;
        const quint8 address = quint8(unit->address().value);
        QStringList names;
        QStringList units;
        QVector<double> values;
        // The tree's nodes, not the unit's children: the window's copy of the list, which the
        // bus thread does not change underneath.
        for (AbstractSchemeTreeItem *child : node->childNodes()) {
            const AbstractDisplayableItem *function = child->displayable();
            if (!function)
                continue;
            // The unit's values, not its diagnostic messages: DM1's lamp and code fields vary
            // with every change and would crowd the engine's speed out of the plot.
            const ItemAddress a = function->address();
            if (a.kind == ItemAddress::Pgn && BusChecker::isEventGroup(a.value))
                continue;
            for (const ZxParameter *p : function->parameters()) {
                if (p->isHidden())
                    continue;
                bool numeric = false;
                const double v = p->variantValue().toDouble(&numeric);
                if (!numeric && p->type() == ZxParameter::String)
                    continue;
                names << QStringLiteral("%1: %2").arg(function->name(), p->name());
                units << p->suffix();
                values << (numeric && p->isValid() ? v : std::numeric_limits<double>::quiet_NaN());
            }
        }
        if (m_columns.value(address) != names) {
            m_columns.insert(address, names);
            m_parameters->setColumns(address, names, units);
        }
        m_parameters->append(address, nowUs, values);
    }
}
