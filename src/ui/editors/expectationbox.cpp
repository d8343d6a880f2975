#include "ui/editors/expectationbox.h"

#include "model/abstractdisplayableitem.h"
#include "model/editors/wheelguard.h"
#include "model/zxparameter.h"
#include "model/zxparameterlink.h"
#include "scheme/abstractschemetreeitem.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QTableWidget>
#include <QVBoxLayout>

#include <iterator>

namespace {

enum RangeColumn { ParameterColumn, MinimumColumn, MaximumColumn, NotAvailableColumn, ErrorColumn };

constexpr int MaxPeriodMs = 3600000;
constexpr int MaxTolerancePercent = 1000;
constexpr quint32 SpnLimit = 1u << 19;
constexpr quint32 FmiLimit = 32;
constexpr quint32 PgnLimit = 1u << 18;
constexpr int NameDigits = 16;

QStringList listEntries(const QString &text)
{
    return text.split(QRegularExpression(QStringLiteral("[,;\\s]+")), Qt::SkipEmptyParts);
}

QString numberText(double value)
{
    return QLocale().toString(value, 'g', 12);
}

// The engineer's locale first, then the C form the scheme files use.
bool parseNumber(const QString &text, double *value)
{
    bool ok = false;
    *value = QLocale().toDouble(text.trimmed(), &ok);
    if (!ok)
        *value = text.trimmed().toDouble(&ok);
    return ok;
}

QString codesText(const QList<ItemExpectation::Code> &codes)
{
    QStringList parts;
    for (const ItemExpectation::Code &c : codes)
        parts << QStringLiteral("%1/%2").arg(c.spn).arg(c.fmi);
    return parts.join(QStringLiteral(", "));
}

QString groupsText(const QList<quint32> &groups)
{
    QStringList parts;
    for (quint32 pgn : groups)
        parts << QString::number(pgn, 16).toUpper();
    return parts.join(QStringLiteral(", "));
}

QLineEdit *lineEdit(const char *objectName, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(objectName));
    return edit;
}

} // namespace

int ExpectationBox::s_refreshMs = ExpectationBox::DefaultRefreshMs;

ExpectationBox::ExpectationBox(AbstractSchemeTreeItem *node, QWidget *parent)
    : QGroupBox(tr("Expected"), parent)
    , m_node(node)
{
    setObjectName(QStringLiteral("expectBox"));
    setToolTip(tr("What the bus check expects of this item; empty fields keep its default rules"));
    auto *column = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    column->addLayout(form);

    m_presence = new QComboBox(this);
    m_presence->setObjectName(QStringLiteral("expectPresence"));
    m_presence->addItem(tr("As the scheme says"), int(ItemExpectation::DefaultPresence));
    m_presence->addItem(tr("Present"), int(ItemExpectation::Present));
    m_presence->addItem(tr("Absent"), int(ItemExpectation::Absent));
    m_presence->addItem(tr("May fall silent"), int(ItemExpectation::Intermittent));
    form->addRow(tr("Presence"), m_presence);

    auto *periodRow = new QHBoxLayout;
    m_period = lineEdit("expectPeriod", this);
    m_period->setValidator(new QIntValidator(1, MaxPeriodMs, m_period));
    m_tolerance = lineEdit("expectTolerance", this);
    m_tolerance->setValidator(new QIntValidator(1, MaxTolerancePercent, m_tolerance));
    m_tolerance->setPlaceholderText(tr("late and silent rules"));
    periodRow->addWidget(m_period, 1);
    periodRow->addWidget(new QLabel(tr("ms ±"), this));
    periodRow->addWidget(m_tolerance, 1);
    periodRow->addWidget(new QLabel(QStringLiteral("%"), this));
    form->addRow(tr("Period"), periodRow);

    m_eventDriven = new QCheckBox(tr("Sent on request or on a change"), this);
    m_eventDriven->setObjectName(QStringLiteral("expectEventDriven"));
    form->addRow(m_eventDriven);

    if (isUnit())
        buildIdentification(form);

    buildRanges();
    column->addWidget(m_ranges);

    buildButtons(column);
    // A status line about the item as it was says nothing about edits made since.
    connect(m_presence, QOverload<int>::of(&QComboBox::activated), this, &ExpectationBox::touched);
    connect(m_eventDriven, &QCheckBox::clicked, this, &ExpectationBox::touched);
    for (QLineEdit *edit : findChildren<QLineEdit *>())
        connect(edit, &QLineEdit::textEdited, this, &ExpectationBox::touched);
    WheelGuard::install(this);
    reload();
    m_follow.setInterval(s_refreshMs);
    connect(&m_follow, &QTimer::timeout, this, &ExpectationBox::follow);
    m_follow.start();
}

void ExpectationBox::buildIdentification(QFormLayout *form)
{
    m_name = lineEdit("expectName", this);
    m_name->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9A-Fa-f]{0,16}")), m_name));
    m_name->setPlaceholderText(tr("any"));
    form->addRow(tr("NAME (hex)"), m_name);
    m_software = lineEdit("expectSoftware", this);
    m_software->setPlaceholderText(tr("any"));
    form->addRow(tr("Software"), m_software);
    m_codes = lineEdit("expectCodes", this);
    m_codes->setPlaceholderText(tr("SPN/FMI, e.g. 100/1, 110/0"));
    m_codes->setToolTip(tr("Active trouble codes a healthy unit may show; any other deviates"));
    form->addRow(tr("Allowed codes"), m_codes);
    m_groups = lineEdit("expectGroups", this);
    m_groups->setPlaceholderText(tr("PGN in hex, e.g. FEF1, FF35"));
    m_groups->setToolTip(tr("Parameter groups the unit sends that none of its functions "
                            "describes"));
    form->addRow(tr("Other groups"), m_groups);
}

void ExpectationBox::buildButtons(QVBoxLayout *column)
{
    auto *buttons = new QHBoxLayout;
    auto *apply = new QPushButton(tr("Apply"), this);
    apply->setObjectName(QStringLiteral("expectApply"));
    auto *clearButton = new QPushButton(tr("Clear"), this);
    clearButton->setObjectName(QStringLiteral("expectClear"));
    buttons->addWidget(apply);
    buttons->addWidget(clearButton);
    buttons->addStretch(1);
    column->addLayout(buttons);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("expectStatus"));
    m_status->setWordWrap(true);
    column->addWidget(m_status);
    connect(apply, &QPushButton::clicked, this, &ExpectationBox::apply);
    connect(clearButton, &QPushButton::clicked, this, &ExpectationBox::clear);
}

bool ExpectationBox::isUnit() const
{
    return m_node && m_node->isUnit();
}

void ExpectationBox::buildRanges()
{
    m_ranges = new QTableWidget(0, 5, this);
    m_ranges->setObjectName(QStringLiteral("expectRanges"));
    const struct
    {
        const char *text;
        const char *tip;
    } headers[] = {{QT_TR_NOOP("Parameter"), nullptr},
                   {QT_TR_NOOP("Minimum"), nullptr},
                   {QT_TR_NOOP("Maximum"), nullptr},
                   {QT_TR_NOOP("N/A"), QT_TR_NOOP("Not available allowed")},
                   {QT_TR_NOOP("Error"), QT_TR_NOOP("Error allowed")}};
    for (int c = 0; c < int(std::size(headers)); ++c) {
        auto *header = new QTableWidgetItem(tr(headers[c].text));
        if (headers[c].tip)
            header->setToolTip(tr(headers[c].tip));
        m_ranges->setHorizontalHeaderItem(c, header);
    }
    m_ranges->verticalHeader()->hide();
    m_ranges->setSelectionMode(QAbstractItemView::NoSelection);
    m_ranges->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Long parameter names are cut short rather than widening the panel; the tool tip of a
    // name gives the key the file keeps.
    m_ranges->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_ranges->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QHeaderView *columns = m_ranges->horizontalHeader();
    columns->setSectionResizeMode(ParameterColumn, QHeaderView::Stretch);
    columns->setSectionResizeMode(MinimumColumn, QHeaderView::Interactive);
    columns->setSectionResizeMode(MaximumColumn, QHeaderView::Interactive);
    columns->setSectionResizeMode(NotAvailableColumn, QHeaderView::ResizeToContents);
    columns->setSectionResizeMode(ErrorColumn, QHeaderView::ResizeToContents);
    const int limitWidth = fontMetrics().horizontalAdvance(QStringLiteral("-0000.000")) + 12;
    m_ranges->setColumnWidth(MinimumColumn, limitWidth);
    m_ranges->setColumnWidth(MaximumColumn, limitWidth);
    m_ranges->setToolTip(tr("Empty limits leave the value free; a value the sender flags as an "
                            "error deviates unless allowed"));
}

void ExpectationBox::showRanges(const ItemExpectation &x)
{
    // One row per parameter the editor shows, then any range of a parameter the item does not
    // show (kept, so Apply never drops what a file or a learned scheme holds).
    QList<QPair<QString, QString>> rows; // key, shown name
    if (m_node) {
        for (const ZxParameterLink *link : m_node->links()) {
            const ZxParameter *p = link->parameter();
            if (p && !p->isHidden() && !p->key().isEmpty())
                rows.append({p->key(), p->label()});
        }
    }
    for (const ItemExpectation::Range &r : x.ranges) {
        bool listed = false;
        for (const auto &row : qAsConst(rows))
            listed = listed || row.first == r.parameter;
        if (!listed)
            rows.append({r.parameter, r.parameter});
    }
    m_ranges->setRowCount(0);
    m_ranges->setRowCount(rows.size());
    for (int i = 0; i < rows.size(); ++i) {
        auto *name = new QTableWidgetItem(rows.at(i).second);
        name->setData(Qt::UserRole, rows.at(i).first);
        name->setToolTip(rows.at(i).first);
        m_ranges->setItem(i, ParameterColumn, name);
        const ItemExpectation::Range *r = x.range(rows.at(i).first);
        auto *minimum = lineEdit("expectMinimum", m_ranges);
        auto *maximum = lineEdit("expectMaximum", m_ranges);
        minimum->setPlaceholderText(tr("any"));
        maximum->setPlaceholderText(tr("any"));
        auto *notAvailable = new QCheckBox(m_ranges);
        notAvailable->setObjectName(QStringLiteral("expectNotAvailable"));
        auto *error = new QCheckBox(m_ranges);
        error->setObjectName(QStringLiteral("expectError"));
        if (r && r->hasLimits) {
            minimum->setText(numberText(r->minimum));
            maximum->setText(numberText(r->maximum));
        }
        notAvailable->setChecked(r && r->allowNotAvailable);
        error->setChecked(r && r->allowError);
        connect(minimum, &QLineEdit::textEdited, this, &ExpectationBox::touched);
        connect(maximum, &QLineEdit::textEdited, this, &ExpectationBox::touched);
        connect(notAvailable, &QCheckBox::clicked, this, &ExpectationBox::touched);
        connect(error, &QCheckBox::clicked, this, &ExpectationBox::touched);
        m_ranges->setCellWidget(i, MinimumColumn, minimum);
        m_ranges->setCellWidget(i, MaximumColumn, maximum);
        m_ranges->setCellWidget(i, NotAvailableColumn, notAvailable);
        m_ranges->setCellWidget(i, ErrorColumn, error);
    }
    m_ranges->setVisible(!rows.isEmpty());
    // The whole table without a scroll bar of its own: the Details panel scrolls.
    const int height = m_ranges->horizontalHeader()->sizeHint().height()
                       + m_ranges->verticalHeader()->length() + 2 * m_ranges->frameWidth();
    m_ranges->setFixedHeight(height);
}

void ExpectationBox::reload()
{
    AbstractDisplayableItem *item = m_node ? m_node->displayable() : nullptr;
    setEnabled(item != nullptr);
    const ItemExpectation x = item ? item->expectation() : ItemExpectation();
    m_shown = x;
    m_presence->setCurrentIndex(qMax(0, m_presence->findData(int(x.presence))));
    m_period->setText(x.periodMs > 0 ? QString::number(x.periodMs) : QString());
    const int own = item ? item->transmissionInterval() : 0;
    m_period->setPlaceholderText(own > 0 ? tr("own: %1 ms").arg(own) : tr("own period"));
    m_tolerance->setText(x.tolerancePercent > 0 ? QString::number(x.tolerancePercent) : QString());
    m_eventDriven->setChecked(x.eventDriven);
    if (m_name) {
        m_name->setText(x.name);
        m_software->setText(x.software);
        m_codes->setText(codesText(x.codes));
        m_groups->setText(groupsText(x.groups));
    }
    showRanges(x);
    setStatus(x.isEmpty() ? tr("No expectation of its own: the bus check's default rules apply")
                          : QString());
}

bool ExpectationBox::editedRanges(QList<ItemExpectation::Range> *ranges, QString *error) const
{
    for (int i = 0; i < m_ranges->rowCount(); ++i) {
        const QTableWidgetItem *name = m_ranges->item(i, ParameterColumn);
        const auto *minimum = qobject_cast<QLineEdit *>(m_ranges->cellWidget(i, MinimumColumn));
        const auto *maximum = qobject_cast<QLineEdit *>(m_ranges->cellWidget(i, MaximumColumn));
        const auto *na = qobject_cast<QCheckBox *>(m_ranges->cellWidget(i, NotAvailableColumn));
        const auto *err = qobject_cast<QCheckBox *>(m_ranges->cellWidget(i, ErrorColumn));
        if (!name || !minimum || !maximum || !na || !err)
            continue;
        ItemExpectation::Range r;
        r.parameter = name->data(Qt::UserRole).toString();
        const bool hasMinimum = !minimum->text().trimmed().isEmpty();
        const bool hasMaximum = !maximum->text().trimmed().isEmpty();
        if (hasMinimum != hasMaximum) {
            *error = tr("%1: give both limits or neither").arg(name->text());
            return false;
        }
        if (hasMinimum) {
            if (!parseNumber(minimum->text(), &r.minimum)
                || !parseNumber(maximum->text(), &r.maximum)) {
                *error = tr("%1: the limits must be numbers").arg(name->text());
                return false;
            }
            if (r.minimum > r.maximum) {
                *error = tr("%1: the minimum is above the maximum").arg(name->text());
                return false;
            }
            r.hasLimits = true;
        }
        r.allowNotAvailable = na->isChecked();
        r.allowError = err->isChecked();
        if (r.hasLimits || r.allowNotAvailable || r.allowError)
            ranges->append(r);
    }
    return true;
}

bool ExpectationBox::edited(ItemExpectation *expectation, QString *error) const
{
    // What the box does not show (a function's identification) stays as it was.
    ItemExpectation x = m_shown;
    x.presence = ItemExpectation::Presence(m_presence->currentData().toInt());
    x.periodMs = m_period->text().toInt();
    x.tolerancePercent = m_tolerance->text().toInt();
    if (x.periodMs < 0 || x.periodMs > MaxPeriodMs || x.tolerancePercent < 0
        || x.tolerancePercent > MaxTolerancePercent) {
        *error = tr("The period or the tolerance is out of range");
        return false;
    }
    x.eventDriven = m_eventDriven->isChecked();
    QList<ItemExpectation::Range> ranges;
    if (!editedRanges(&ranges, error))
        return false;
    // Ranges keep their places (an unchanged box changes nothing); new ones come last.
    x.ranges.clear();
    for (const ItemExpectation::Range &kept : qAsConst(m_shown.ranges)) {
        for (int i = 0; i < ranges.size(); ++i) {
            if (ranges.at(i).parameter == kept.parameter) {
                x.ranges.append(ranges.takeAt(i));
                break;
            }
        }
    }
    x.ranges.append(ranges);
    if (m_name) {
        const QString name = m_name->text().trimmed();
        x.name = name.isEmpty() ? QString()
                                : name.rightJustified(NameDigits, QLatin1Char('0')).toUpper();
        x.software = m_software->text().trimmed();
        x.codes.clear();
        for (const QString &entry : listEntries(m_codes->text())) {
            const QStringList parts = entry.split(QLatin1Char('/'));
            bool okSpn = false;
            bool okFmi = false;
            const uint spn = parts.value(0).toUInt(&okSpn);
            const uint fmi = parts.value(1).toUInt(&okFmi);
            if (parts.size() != 2 || !okSpn || !okFmi || spn >= SpnLimit || fmi >= FmiLimit) {
                *error = tr("\"%1\" is not a trouble code SPN/FMI").arg(entry);
                return false;
            }
            if (!x.allowsCode(spn, quint8(fmi)))
                x.codes.append({spn, quint8(fmi)});
        }
        x.groups.clear();
        for (const QString &entry : listEntries(m_groups->text())) {
            bool ok = false;
            const uint pgn = entry.toUInt(&ok, 16);
            if (!ok || pgn >= PgnLimit) {
                *error = tr("\"%1\" is not a parameter group number in hex").arg(entry);
                return false;
            }
            if (!x.groups.contains(pgn))
                x.groups.append(pgn);
        }
    }
    *expectation = x;
    return true;
}

void ExpectationBox::apply()
{
    AbstractDisplayableItem *item = m_node ? m_node->displayable() : nullptr;
    if (!AbstractDisplayableItem::isValid(item))
        return;
    ItemExpectation x;
    QString error;
    if (!edited(&x, &error)) {
        setStatus(error, true);
        return;
    }
    item->setExpectation(x);
    reload();
    if (!x.isEmpty())
        setStatus(tr("Applied: the bus check expects this from now on"));
    emit expectationChanged();
}

void ExpectationBox::clear()
{
    AbstractDisplayableItem *item = m_node ? m_node->displayable() : nullptr;
    if (!AbstractDisplayableItem::isValid(item))
        return;
    item->setExpectation(ItemExpectation());
    reload();
    emit expectationChanged();
}

void ExpectationBox::touched()
{
    setStatus(QString());
}

void ExpectationBox::setStatus(const QString &text, bool error)
{
    m_status->setText(text);
    m_status->setStyleSheet(error ? QStringLiteral("color: #b00020;") : QString());
}

void ExpectationBox::follow()
{
    AbstractDisplayableItem *item = m_node ? m_node->displayable() : nullptr;
    if (!isVisible() || !AbstractDisplayableItem::isValid(item) || item->expectation() == m_shown)
        return;
    // Edits the engineer has not applied stay.
    ItemExpectation x;
    QString error;
    if (edited(&x, &error) && x == m_shown)
        reload();
}

void ExpectationBox::showEvent(QShowEvent *event)
{
    QGroupBox::showEvent(event);
    follow();
}
