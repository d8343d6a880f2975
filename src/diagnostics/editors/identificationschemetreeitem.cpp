#include "diagnostics/editors/identificationschemetreeitem.h"

#include "can/abstractcanhandler.h"
#include "diagnostics/dm19function.h"
#include "diagnostics/identificationcodec.h"
#include "diagnostics/toolrequest.h"
#include "model/j1939device.h"
#include "scheme/schemewindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTime>
#include <QVBoxLayout>

IdentificationSchemeTreeItem::IdentificationSchemeTreeItem(IdentificationFunction *function)
    : AbstractSchemeTreeItem(function)
    , m_function(function)
{}

QWidget *IdentificationSchemeTreeItem::createWidget()
{
    if (!m_function)
        return AbstractSchemeTreeItem::createWidget();
    auto *widget = new QWidget;
    auto *box = new QVBoxLayout(widget);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(createDefaultWidget());
    if (qobject_cast<DM19Function *>(m_function)) {
        box->addWidget(new QLabel(tr("Calibrations and their verification numbers")));
        auto *list = new QListWidget;
        list->setObjectName(QStringLiteral("calibrationList"));
        list->setMinimumHeight(60);
        box->addWidget(list);
        m_lists.append(list);
    }
    auto *row = new QHBoxLayout;
    auto *button = new QPushButton(tr("Request"));
    button->setObjectName(QStringLiteral("requestButton"));
    row->addWidget(button);
    row->addStretch(1);
    box->addLayout(row);
    auto *result = new QLabel;
    result->setObjectName(QStringLiteral("requestResult"));
    result->setWordWrap(true);
    result->setTextInteractionFlags(Qt::TextSelectableByMouse);
    box->addWidget(result);
    box->addStretch(1);
    connect(button, &QPushButton::clicked, widget,
            [this, widget, result] { request(widget, result); });
    refreshList();
    return widget;
}

void IdentificationSchemeTreeItem::request(QWidget *editor, QLabel *result)
{
    auto *unit = m_function ? qobject_cast<J1939Device *>(m_function->parentItem()) : nullptr;
    if (!unit) {
        result->setText(tr("No unit to ask"));
        return;
    }
    AbstractCanHandler *handler = unit->handler();
    if (!handler || !handler->isOpen()) {
        result->setText(tr("No bus connection: nothing was sent"));
        return;
    }
    // The answer is longer than a frame: someone at the tool's address has to take it.
    if (SchemeWindow *window = SchemeWindow::of(editor))
        window->ensureToolUnit();
    QPointer<IdentificationFunction> function = m_function;
    QMetaObject::invokeMethod(function, [function] {
        if (function)
            ToolRequest::ask(function);
    });
    result->setText(tr("%1: asked unit 0x%2")
                        .arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")))
                        .arg(unit->address().value, 2, 16, QLatin1Char('0')));
}

bool IdentificationSchemeTreeItem::doUpdate()
{
    const bool changed = AbstractSchemeTreeItem::doUpdate();
    refreshList();
    return changed;
}

void IdentificationSchemeTreeItem::refreshList()
{
    auto *dm19 = qobject_cast<DM19Function *>(m_function);
    m_lists.removeAll(nullptr);
    if (!dm19 || m_lists.isEmpty())
        return;
    QStringList rows;
    for (const IdentificationCodec::Calibration &c : dm19->calibrations())
        rows << tr("%1  CVN %2")
                    .arg(IdentificationCodec::printable(c.calId),
                         IdentificationCodec::cvnText(c.cvn));
    for (QListWidget *list : qAsConst(m_lists)) {
        QStringList shown;
        for (int i = 0; i < list->count(); ++i)
            shown << list->item(i)->text();
        if (shown != rows) {
            list->clear();
            list->addItems(rows);
        }
    }
}
