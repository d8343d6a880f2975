#pragma once

#include "scheme/abstractschemetreeitem.h"

#include <QPointer>

#include <functional>

class MemoryAccessFunction;

// The tree node of a memory access function: the target editor, file open and save, the button
// that shows the "MA Data" window and the status text. This editor is what Details, a detail dock
// and a scheme tab cell show. GUI thread.
class MemoryAccessSchemeTreeItem : public AbstractSchemeTreeItem
{
    Q_OBJECT

public:
    // Asks for a file to open (save = false) or to save; empty when the user cancels.
    // Replaceable so that tests answer it.
    using FileChooser = std::function<QString(QWidget *parent, bool save)>;

    explicit MemoryAccessSchemeTreeItem(MemoryAccessFunction *function);

    QWidget *createWidget() override;
    using AbstractSchemeTreeItem::createWidget;

    static void setFileChooser(FileChooser chooser);

private:
    QPointer<MemoryAccessFunction> m_function;
};
