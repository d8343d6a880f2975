#include "diagnostics/editors/tunevariableschemetreeitem.h"

#include "diagnostics/tunevariable.h"
#include "model/zxvariantparameter.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

TuneVariableSchemeTreeItem::TuneVariableSchemeTreeItem(TuneVariable *variable)
    : AbstractSchemeTreeItem(variable)
    , m_variable(variable)
{}

// Every kind of editor (Details, a detail dock, a scheme tab cell) is this one.
QWidget *TuneVariableSchemeTreeItem::createWidget()
{
    auto *widget = new QWidget;
    auto *box = new QVBoxLayout(widget);
    box->setContentsMargins(0, 0, 0, 0);
    auto *form = new QFormLayout;
    const struct
    {
        int index;
        const char *label;
    } fields[] = {
        {TuneVariable::Val, QT_TR_NOOP("Value")},
        {TuneVariable::Target, QT_TR_NOOP("Unit")},
        {TuneVariable::Confirm, QT_TR_NOOP("Last write accepted")},
    };
    for (const auto &field : fields) {
        if (QWidget *editor = createParameterWidget(field.index))
            form->addRow(tr(field.label), editor);
    }
    box->addLayout(form);
    auto *row = new QHBoxLayout;
    auto *get = new QPushButton(tr("Get value"));
    get->setObjectName(QStringLiteral("getValue"));
    get->setToolTip(tr("Reads the value from the unit"));
    auto *set = new QPushButton(tr("Set value"));
    set->setObjectName(QStringLiteral("setValue"));
    set->setToolTip(tr("Writes the value above to the unit"));
    row->addWidget(get);
    row->addWidget(set);
    row->addStretch(1);
    box->addLayout(row);
    auto *answer = new QLabel;
    answer->setObjectName(QStringLiteral("answer"));
    answer->setWordWrap(true);
    box->addWidget(answer);
    box->addStretch(1);
    m_answers.removeAll(QPointer<QLabel>());
    m_answers.append(answer);
    showAnswer();
    // The variable lives in the bus thread: the requests are sent there.
    connect(get, &QPushButton::clicked, widget, [this] {
        if (m_variable)
            QMetaObject::invokeMethod(m_variable, "requestGetValue", Qt::QueuedConnection);
    });
    connect(set, &QPushButton::clicked, widget, [this, answer] {
        if (!m_variable)
            return;
        // Said here, where the engineer looks; the variable would only log its refusal.
        if (!TuneVariable::isWritable(m_variable->valueParameter()->value())) {
            answer->setText(tr("This value cannot be written: choose U8, S16 or Float, and not "
                               "the largest value of U8 or -1 of S16 (they mean \"not available\")"));
            return;
        }
        QMetaObject::invokeMethod(m_variable, "requestSetValue", Qt::QueuedConnection);
    });
    return widget;
}

bool TuneVariableSchemeTreeItem::doUpdate()
{
    if (!AbstractSchemeTreeItem::doUpdate())
        return false;
    showAnswer();
    return true;
}

void TuneVariableSchemeTreeItem::showAnswer()
{
    const QString text = m_variable ? m_variable->summaryText() : QString();
    for (const QPointer<QLabel> &label : qAsConst(m_answers)) {
        if (label)
            label->setText(text);
    }
}
