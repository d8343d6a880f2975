#pragma once

#include "diagnostics/freezeframefunction.h"
#include "scheme/abstractschemetreeitem.h"

#include <QPointer>
#include <QTimer>
#include <QVector>

class QLabel;
class QTableWidget;
class QVBoxLayout;

// The tree node of a DM4, DM24 or DM25 function. Its editor shows the decoded records as a
// table kept in step with the answers, and a "Request" button that asks the unit from the
// tool's address, with a lasting result line. GUI thread.
class FreezeFrameSchemeTreeItem : public AbstractSchemeTreeItem
{
    Q_OBJECT

public:
    explicit FreezeFrameSchemeTreeItem(FreezeFrameFunction *function);

    using AbstractSchemeTreeItem::createWidget;
    QWidget *createWidget() override;
    // How often open editors look for a new answer.
    static constexpr int RefreshMs = 200;

protected:
    // Sections a function adds below its table.
    virtual void addSections(QWidget *widget, QVBoxLayout *box);
    // Runs every RefreshMs while an editor is open.
    virtual void refresh();
    // Whether the item waits for an answer with no editor open.
    virtual bool isBusy() const { return false; }
    void keepRefreshing() { m_refresh.start(); }
    FreezeFrameFunction *function() const { return m_function; }
    // Makes sure the tool can take a long answer, then asks the function's unit on the bus
    // thread. False when there is nobody to ask.
    bool request(FreezeFrameFunction *function, QWidget *from);
    static void fillTable(QTableWidget *table, const QStringList &headers,
                          const QVector<QStringList> &rows);
    // The unit's name for the result lines.
    QString unitName() const;

private:
    struct Editor
    {
        QPointer<QTableWidget> table;
        QPointer<QLabel> result;
        int shownGeneration = -1;
    };

    QPointer<FreezeFrameFunction> m_function;
    QVector<Editor> m_editors;
    QTimer m_refresh;
    QString m_result;
    int m_askedGeneration = -1;
};
