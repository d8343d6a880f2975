#include "diagnostics/editors/memoryaccessschemetreeitem.h"

#include "diagnostics/editors/memoryaccessdock.h"
#include "diagnostics/memoryaccessfunction.h"
#include "scheme/schemewindow.h"

#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

namespace {

MemoryAccessSchemeTreeItem::FileChooser &chooser()
{
    static MemoryAccessSchemeTreeItem::FileChooser c = [](QWidget *parent, bool save) {
        const QString filter = MemoryAccessSchemeTreeItem::tr("All files (*)");
        return save ? QFileDialog::getSaveFileName(parent, QString(), QString(), filter)
                    : QFileDialog::getOpenFileName(parent, QString(), QString(), filter);
    };
    return c;
}

} // namespace

MemoryAccessSchemeTreeItem::MemoryAccessSchemeTreeItem(MemoryAccessFunction *function)
    : AbstractSchemeTreeItem(function)
    , m_function(function)
{}

void MemoryAccessSchemeTreeItem::setFileChooser(FileChooser c)
{
    chooser() = std::move(c);
}

// Every kind of editor (Details, a detail dock, a scheme tab cell) is this one.
QWidget *MemoryAccessSchemeTreeItem::createWidget()
{
    auto *widget = new QWidget;
    auto *box = new QVBoxLayout(widget);
    box->setContentsMargins(0, 0, 0, 0);
    auto *form = new QFormLayout;
    if (QWidget *target = createParameterWidget(MemoryAccessFunction::Target))
        form->addRow(tr("Target"), target);
    box->addLayout(form);
    auto *row = new QHBoxLayout;
    const auto button = [row](const QString &text, const char *name) {
        auto *b = new QPushButton(text);
        b->setObjectName(QLatin1String(name));
        row->addWidget(b);
        return b;
    };
    QPushButton *open = button(tr("Open…"), "open");
    QPushButton *save = button(tr("Save…"), "save");
    QPushButton *show = button(tr("Show data"), "showData");
    row->addStretch(1);
    box->addLayout(row);
    if (QWidget *status = createParameterWidget(MemoryAccessFunction::Error)) {
        status->setObjectName(QStringLiteral("status"));
        // The function's result text: shown, not edited.
        if (auto *edit = qobject_cast<QLineEdit *>(status))
            edit->setReadOnly(true);
        box->addWidget(status);
    }
    box->addStretch(1);
    connect(open, &QPushButton::clicked, widget, [this, widget] {
        if (!m_function)
            return;
        int edited = 0;
        for (const MemoryAccessTable::SpnItem &item : m_function->table().items)
            edited += item.modified ? 1 : 0;
        if (edited > 0
            && !MemoryAccessDock::confirm(
                widget, tr("Opening another file discards %n edited value(s) not yet written. "
                           "Open?",
                           nullptr, edited)))
            return;
        const QString path = chooser()(widget, false);
        if (!path.isEmpty() && m_function)
            m_function->loadFile(path);
    });
    connect(save, &QPushButton::clicked, widget, [this, widget] {
        const QString path = chooser()(widget, true);
        if (!path.isEmpty() && m_function)
            m_function->saveFile(path);
    });
    connect(show, &QPushButton::clicked, widget, [this, widget] {
        if (m_function)
            m_function->showDataWidget(SchemeWindow::of(widget));
    });
    return widget;
}
