// The units of a service job: those of the job's bus, as its journal and report name them.
#include "app/jobsession.h"
#include "can/abstractcanhandler.h"
#include "diagnostics/journalnotes.h"
#include "model/devicedispatcher.h"
#include "model/j1939device.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemetreemodel.h"

QList<AbstractSchemeTreeItem *> JobSession::jobUnits() const
{
    // The job's units are those of its bus; a window's other buses have their own addresses.
    const AbstractCanMessageDispatcher *bus = m_handler ? m_handler->dispatcher() : nullptr;
    QList<AbstractSchemeTreeItem *> units;
    for (AbstractSchemeTreeItem *node : m_model->unitNodes()) {
        const AbstractDisplayableItem *unit = node->displayable();
        const AbstractCanMessageDispatcher *unitBus = unit ? unit->dispatcher() : nullptr;
        if (unit && (!bus || unitBus == bus))
            units << node;
    }
    return units;
}

QMap<quint8, QString> JobSession::unitLabels() const
{
    QMap<quint8, QString> labels;
    if (!m_model)
        return labels;
    for (AbstractSchemeTreeItem *node : jobUnits()) {
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
    for (AbstractSchemeTreeItem *node : jobUnits()) {
        const auto *unit = qobject_cast<const J1939Device *>(node->displayable());
        if (unit && unit->address().value == address)
            return unit->name();
    }
    return QString();
}
