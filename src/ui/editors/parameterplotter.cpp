#include "ui/editors/parameterplotter.h"

#include "model/abstractdisplayableitem.h"
#include "model/zxparameter.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/schemetreemodel.h"

#include <QHash>

namespace {

void addWithChildren(const AbstractDisplayableItem *item, QSet<const void *> *set)
{
    set->insert(item);
    for (const AbstractDisplayableItem *child : item->children())
        addWithChildren(child, set);
}

ZxParameter *parameterOf(const ParameterPlotter::Source &source)
{
    AbstractDisplayableItem *item = source.item.data();
    if (!item || !AbstractDisplayableItem::isValid(item) || source.parameter < 0
        || source.parameter >= item->parameters().size())
        return nullptr;
    return item->parameters().at(source.parameter);
}

// "Engine #1 (0x00) / EEC1 / Engine speed [rpm]": the names from the unit down, then the
// parameter's; the log column name for a parameter no longer in the scheme.
QString heading(const ParameterPlotter::Source &source, const QString &name, const QString &unit)
{
    const AbstractDisplayableItem *item = source.item.data();
    if (!item || !AbstractDisplayableItem::isValid(item))
        return QString();
    QStringList parts;
    for (; item; item = item->parentItem())
        parts.prepend(item->name());
    parts.append(name);
    QString text = parts.join(QStringLiteral(" / "));
    if (!unit.isEmpty())
        text += QStringLiteral(" [%1]").arg(unit);
    return text;
}

} // namespace

bool ParameterPlotter::isPlottable(const ZxParameter *parameter)
{
    switch (parameter->type()) {
    case ZxParameter::Int:
    case ZxParameter::Float:
    case ZxParameter::Bool:
    case ZxParameter::List:
        return true;
    case ZxParameter::Variant: {
        bool ok = false;
        parameter->variantValue().toDouble(&ok);
        return ok;
    }
    default:
        return false;
    }
}

double ParameterPlotter::currentValue(const Source &source)
{
    const ZxParameter *p = parameterOf(source);
    if (!p || source.item->awaitsData() || !p->isValid())
        return PlotTable::Gap;
    bool ok = false;
    const double v = p->variantValue().toDouble(&ok);
    return ok ? v : PlotTable::Gap;
}

ParameterPlotter::Source ParameterPlotter::sourceFor(const AbstractSchemeTreeItem *node,
                                                     int parameter)
{
    Source s;
    s.path = node->uniqueKey();
    s.item = node->displayable();
    s.parameter = parameter;
    if (s.item && parameter >= 0 && parameter < s.item->parameters().size())
        s.parameterKey = s.item->parameters().at(parameter)->key();
    return s;
}

bool ParameterPlotter::resolve(Source *source, const SchemeTreeModel *model)
{
    source->item = nullptr;
    const AbstractSchemeTreeItem *node = model ? model->getItemForPath(source->path) : nullptr;
    if (!node || !node->displayable() || node->uniqueKey() != source->path)
        return false;
    AbstractDisplayableItem *item = node->displayable();
    // By key; the position only for parameters saved without one, since a description that
    // changed may have put another parameter there.
    const QList<ZxParameter *> &parameters = item->parameters();
    if (!source->parameterKey.isEmpty()) {
        ZxParameter *wanted = item->parameter(source->parameterKey);
        source->parameter = wanted ? parameters.indexOf(wanted) : -1;
    }
    if (source->parameter < 0 || source->parameter >= parameters.size())
        return false;
    source->item = item;
    return true;
}

ParameterPlotter::ParameterPlotter(qint64 startMs)
    : m_startMs(startMs)
{}

void ParameterPlotter::setSources(const QVector<Source> &sources)
{
    m_sources = sources;
    QVector<PlotTable::Column> columns;
    for (const Source &s : sources) {
        PlotTable::Column c;
        const ZxParameter *p = parameterOf(s);
        const QString name = p ? p->name() : s.parameterKey;
        c.id = AbstractDisplayableItem::sanitizeParameterId(s.path + name);
        c.label = name;
        c.unit = p ? p->suffix().trimmed() : QString();
        c.heading = heading(s, name, c.unit);
        c.singlePrecision = p && p->type() == ZxParameter::Float;
        columns.append(c);
    }
    // Names stay short in the legend; the item tells apart parameters of the same name.
    QHash<QString, int> uses;
    for (const PlotTable::Column &c : qAsConst(columns))
        ++uses[c.label];
    for (int i = 0; i < columns.size(); ++i) {
        if (uses.value(columns.at(i).label) > 1 && sources.at(i).item)
            columns[i].label += QStringLiteral(" (%1)").arg(sources.at(i).item->name());
    }
    const double window = m_table.window();
    m_table.setColumns(columns);
    m_table.setWindow(window);
    m_row.resize(sources.size());
    collectTriggers();
}

void ParameterPlotter::collectTriggers()
{
    m_triggers.clear();
    for (const Source &s : qAsConst(m_sources)) {
        if (s.item && AbstractDisplayableItem::isValid(s.item))
            addWithChildren(s.item, &m_triggers);
    }
}

bool ParameterPlotter::sample(const AbstractCanHandler::MessagePack &pack, qint64 nowMs)
{
    if (m_triggers.isEmpty())
        return false;
    // Frames of one item come in runs: the last item checked is not looked up again.
    const void *last = nullptr;
    for (const auto &pair : pack) {
        const void *item = pair.second.item;
        if (!item || item == last)
            continue;
        last = item;
        if (m_triggers.contains(item)) {
            sampleNow(nowMs);
            return true;
        }
    }
    return false;
}

void ParameterPlotter::sampleNow(qint64 nowMs)
{
    for (int i = 0; i < m_sources.size(); ++i)
        m_row[i] = currentValue(m_sources.at(i));
    m_table.append(double(nowMs - m_startMs) / 1000.0, m_row);
}
