#include "ui/editors/databasesdialog.h"

#include "descriptions/dbcdatabase.h"
#include "scheme/schemedatabases.h"
#include "ui/userquestions.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QTableWidgetItem *readOnly(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

QTableWidgetItem *choice(bool on, bool enabled)
{
    auto *item = new QTableWidgetItem;
    item->setFlags(enabled ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable
                           : Qt::ItemIsSelectable);
    item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    return item;
}

// Extended messages of a J1939 database that are not marked as parameter groups: the choice to
// match them by PGN is theirs.
int extendedNotPg(const DbcDatabase &database)
{
    if (!database.isJ1939())
        return 0;
    int count = 0;
    for (const DbcMessage &message : database.messages)
        count += message.extended && !message.isJ1939Pg();
    return count;
}

} // namespace

DatabasesDialog::DatabasesDialog(const QStringList &busNames,
                                 const QVector<CanDeviceFactory::Databases> &lists,
                                 UserQuestions *questions, QWidget *parent)
    : QDialog(parent)
    , m_lists(lists)
    , m_questions(questions)
{
    setObjectName(QStringLiteral("databasesDialog"));
    setWindowTitle(tr("Databases"));
    m_lists.resize(std::max(1, int(busNames.size())));
    auto *layout = new QVBoxLayout(this);
    auto *intro = new QLabel(
        tr("DBC databases decode the groups they describe on the bus. A group the library also "
           "describes is decoded by the library unless its database comes before it."),
        this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    m_busBox = new QComboBox(this);
    m_busBox->setObjectName(QStringLiteral("databasesBus"));
    m_busBox->addItems(busNames);
    m_busBox->setVisible(busNames.size() > 1);
    layout->addWidget(m_busBox);
    connect(m_busBox, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &DatabasesDialog::showBus);

    auto *row = new QHBoxLayout;
    m_table = new QTableWidget(0, ColumnCount, this);
    m_table->setObjectName(QStringLiteral("databasesTable"));
    m_table->setHorizontalHeaderLabels({tr("File"), tr("Messages"), tr("Before the library"),
                                        tr("Extended frames by PGN"), tr("State")});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setSectionResizeMode(StateColumn, QHeaderView::Stretch);
    m_table->setMinimumWidth(820);
    const struct
    {
        Column column;
        QString tip;
    } tips[] = {
        {WinsColumn, tr("A group the library also describes is decoded with this database")},
        {ByPgnColumn, tr("Extended messages of this J1939 database that are not marked as J1939 "
                         "groups match their group from every source address too")},
    };
    for (const auto &t : tips)
        m_table->horizontalHeaderItem(t.column)->setToolTip(t.tip);
    row->addWidget(m_table);
    connect(m_table, &QTableWidget::itemChanged, this,
            [this](QTableWidgetItem *item) { takeChoices(item->row()); });
    connect(m_table, &QTableWidget::itemSelectionChanged, this, &DatabasesDialog::updateButtons);

    auto *buttons = new QVBoxLayout;
    auto button = [this, buttons](const QString &text, const char *name) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    connect(button(tr("Add…"), "databasesAdd"), &QPushButton::clicked, this,
            &DatabasesDialog::addFile);
    m_remove = button(tr("Remove"), "databasesRemove");
    connect(m_remove, &QPushButton::clicked, this, &DatabasesDialog::removeCurrent);
    m_up = button(tr("Up"), "databasesUp");
    connect(m_up, &QPushButton::clicked, this, [this] { move(-1); });
    m_down = button(tr("Down"), "databasesDown");
    connect(m_down, &QPushButton::clicked, this, [this] { move(1); });
    buttons->addStretch();
    row->addLayout(buttons);
    layout->addLayout(row);

    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("databasesNote"));
    m_note->setWordWrap(true);
    layout->addWidget(m_note);

    auto *box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(box);
    showBus(0);
}

void DatabasesDialog::showBus(int bus)
{
    m_bus = std::clamp(bus, 0, int(m_lists.size()) - 1);
    m_note->clear();
    fillTable();
}

void DatabasesDialog::fillTable()
{
    m_filling = true;
    const CanDeviceFactory::Databases &list = m_lists.at(m_bus);
    m_table->setRowCount(list.size());
    for (int i = 0; i < list.size(); ++i) {
        const DbcDatabase &database = *list.at(i);
        QTableWidgetItem *file = readOnly(database.name);
        file->setToolTip(QDir::toNativeSeparators(database.filePath));
        m_table->setItem(i, FileColumn, file);
        m_table->setItem(i, MessagesColumn, readOnly(QString::number(database.messages.size())));
        m_table->setItem(i, WinsColumn, choice(database.winsOverLibrary, true));
        m_table->setItem(i, ByPgnColumn,
                         choice(database.extendedAsJ1939, extendedNotPg(database) > 0));
        QString state = database.problem;
        if (state.isEmpty())
            state
                = database.isJ1939() ? tr("J1939: every source address") : tr("Exact identifiers");
        QTableWidgetItem *stateItem = readOnly(state);
        stateItem->setToolTip(state);
        m_table->setItem(i, StateColumn, stateItem);
    }
    m_filling = false;
    updateButtons();
}

void DatabasesDialog::takeChoices(int row)
{
    CanDeviceFactory::Databases &list = m_lists[m_bus];
    if (m_filling || row < 0 || row >= list.size())
        return;
    const bool wins = m_table->item(row, WinsColumn)->checkState() == Qt::Checked;
    const bool byPgn = m_table->item(row, ByPgnColumn)->checkState() == Qt::Checked;
    const DbcDatabase &database = *list.at(row);
    if (wins != database.winsOverLibrary || byPgn != database.extendedAsJ1939)
        list[row] = SchemeDatabases::withChoices(database, wins, byPgn);
}

void DatabasesDialog::addFile()
{
    const CanDeviceFactory::Databases &list = m_lists.at(m_bus);
    const QString start = list.isEmpty() ? QString() : list.last()->filePath;
    const QString path = m_questions->askOpenFileName(
        tr("Add DBC database"), tr("DBC databases (*.dbc);;All files (*)"), start);
    if (path.isEmpty())
        return;
    QStringList warnings;
    const std::shared_ptr<DbcDatabase> database = SchemeDatabases::load(path, &warnings);
    if (!database->problem.isEmpty()) {
        m_questions->showError(tr("Add DBC database"), database->problem);
        return;
    }
    for (const std::shared_ptr<const DbcDatabase> &other : list) {
        if (other->filePath == database->filePath) {
            m_questions->showError(
                tr("Add DBC database"),
                tr("%1 is already in the list").arg(QDir::toNativeSeparators(database->filePath)));
            return;
        }
    }
    m_lists[m_bus].append(database);
    fillTable();
    m_table->selectRow(m_lists.at(m_bus).size() - 1);
    QString note
        = tr("%1: %n message(s)", nullptr, int(database->messages.size())).arg(database->name);
    if (!warnings.isEmpty())
        note += QLatin1Char('\n')
                + tr("%n line(s) not read, the first: %1", nullptr, int(warnings.size()))
                      .arg(warnings.first());
    m_note->setText(note);
}

void DatabasesDialog::removeCurrent()
{
    const int row = m_table->currentRow();
    if (row < 0 || row >= m_lists.at(m_bus).size())
        return;
    m_lists[m_bus].removeAt(row);
    fillTable();
}

void DatabasesDialog::move(int step)
{
    CanDeviceFactory::Databases &list = m_lists[m_bus];
    const int row = m_table->currentRow();
    const int to = row + step;
    if (row < 0 || to < 0 || to >= list.size())
        return;
    list.move(row, to);
    fillTable();
    m_table->selectRow(to);
}

void DatabasesDialog::updateButtons()
{
    const int row = m_table->currentRow();
    const int count = m_lists.at(m_bus).size();
    const bool selected = row >= 0 && row < count && !m_table->selectedItems().isEmpty();
    m_remove->setEnabled(selected);
    m_up->setEnabled(selected && row > 0);
    m_down->setEnabled(selected && row + 1 < count);
}
