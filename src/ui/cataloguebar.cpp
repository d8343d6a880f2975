#include "ui/cataloguebar.h"

#include "descriptions/abstractdevicefactory.h"
#include "descriptions/deviceconstructormodel.h"
#include "model/abstractdisplayableitem.h"

#include <QButtonGroup>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

namespace {

// The item's name on its button, in average characters.
constexpr int NameCharacters = 24;

} // namespace

CatalogueBar::CatalogueBar(DeviceConstructorModel *model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
{
    setObjectName(QStringLiteral("catalogueBar"));
    auto *caption = new QLabel(tr("Catalogue:"), this);
    m_unitsButton = new QToolButton(this);
    m_unitsButton->setObjectName(QStringLiteral("showUnitsButton"));
    m_unitsButton->setText(tr("Units"));
    m_unitsButton->setToolTip(tr("List the kinds of units that can be added to the scheme"));
    m_itemButton = new QToolButton(this);
    m_itemButton->setObjectName(QStringLiteral("showItemCatalogueButton"));
    m_itemButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (QToolButton *button : {m_unitsButton, m_itemButton}) {
        button->setCheckable(true);
        button->setAutoRaise(true);
    }
    auto *group = new QButtonGroup(this);
    group->addButton(m_unitsButton);
    group->addButton(m_itemButton);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(caption);
    row->addWidget(m_unitsButton);
    row->addWidget(m_itemButton, 1);
    connect(m_unitsButton, &QToolButton::clicked, this, &CatalogueBar::showUnits);
    connect(m_itemButton, &QToolButton::clicked, this, &CatalogueBar::showItemCatalogue);
    // The model falls back to the units by itself when the shown catalogue goes with its item.
    connect(m_model, &QAbstractItemModel::modelReset, this, &CatalogueBar::updateButtons);
    updateButtons();
}

bool CatalogueBar::showsUnits() const
{
    return !m_itemFactory || m_model->factory() != m_itemFactory.data();
}

void CatalogueBar::setSelectedItem(AbstractDisplayableItem *item)
{
    m_item = item;
    m_itemFactory = item ? item->subFactory() : nullptr;
    if (m_itemFactory)
        showItemCatalogue();
    else
        showUnits();
}

void CatalogueBar::showUnits()
{
    const bool changed = !showsUnits();
    m_model->setFactory(nullptr);
    updateButtons();
    if (changed)
        emit catalogueChanged();
}

void CatalogueBar::showItemCatalogue()
{
    if (!m_itemFactory) {
        showUnits();
        return;
    }
    const bool changed = showsUnits();
    m_model->setFactory(m_itemFactory);
    updateButtons();
    if (changed)
        emit catalogueChanged();
}

void CatalogueBar::updateButtons()
{
    const bool units = showsUnits();
    m_unitsButton->setChecked(units);
    m_itemButton->setChecked(!units);
    m_itemButton->setVisible(m_itemFactory && m_item);
    if (m_item) {
        const QString name = m_item->name();
        // A long name would widen the dock: it is cut here, whole in the tool tip.
        const QFontMetrics metrics(m_itemButton->font());
        m_itemButton->setText(
            metrics.elidedText(name, Qt::ElideRight, NameCharacters * metrics.averageCharWidth()));
        m_itemButton->setToolTip(tr("List what can be added to %1").arg(name));
    }
}
