#include "diagnostics/editors/memoryaccessdelegate.h"

#include <QDoubleSpinBox>

#include <limits>

QWidget *MemoryAccessDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &,
                                            const QModelIndex &index) const
{
    auto *editor = new QDoubleSpinBox(parent);
    editor->setObjectName(QStringLiteral("cellEditor"));
    const double lowest = std::numeric_limits<double>::lowest();
    const double highest = std::numeric_limits<double>::max();
    const QVariant minimum = index.data(MinimumRole);
    const QVariant maximum = index.data(MaximumRole);
    editor->setDecimals(index.data(DecimalsRole).toInt());
    editor->setRange(std::max(lowest, minimum.isValid() ? minimum.toDouble() : lowest),
                     std::min(highest, maximum.isValid() ? maximum.toDouble() : highest));
    const QString units = index.data(UnitsRole).toString();
    if (!units.isEmpty())
        editor->setSuffix(QLatin1Char(' ') + units);
    return editor;
}

void MemoryAccessDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    if (auto *spin = qobject_cast<QDoubleSpinBox *>(editor))
        spin->setValue(index.data(Qt::EditRole).toDouble());
}

void MemoryAccessDelegate::setModelData(QWidget *editor, QAbstractItemModel *model,
                                        const QModelIndex &index) const
{
    auto *spin = qobject_cast<QDoubleSpinBox *>(editor);
    if (!spin)
        return;
    spin->interpretText();
    model->setData(index, spin->value(), Qt::EditRole);
}
