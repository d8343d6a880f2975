#pragma once

#include "scheme/abstractschemetreeitem.h"

#include <QPointer>

#include <functional>

class CanFlashingFunctionV1;
class QLabel;
class QProgressBar;
class QWidget;

// The tree node of the flashing function: target and delay editors, the request, file, start
// and stop buttons, the flags, the progress bar and the state and result texts. Start asks the
// engineer to confirm the unit and the file first. GUI thread; the function is reached by
// queued calls by name.
class CanFlashingFunctionV1SchemeTreeItem : public AbstractSchemeTreeItem
{
    Q_OBJECT

public:
    using FileChooser = std::function<QString(QWidget *parent)>;
    using Confirmer = std::function<bool(QWidget *parent, const QString &question)>;

    explicit CanFlashingFunctionV1SchemeTreeItem(CanFlashingFunctionV1 *function);

    QWidget *createWidget(unsigned int kind) override;
    using AbstractSchemeTreeItem::createWidget;
    bool doUpdate() override;

    // The question asked before a run; empty with `refusal` set when no run may start.
    QString startQuestion(QString *refusal) const;
    // Asks, then starts the run; false when refused or not confirmed.
    bool requestStart(QWidget *parent);

    // Replaceable so that tests answer them.
    static void setFileChooser(FileChooser chooser);
    static void setConfirmer(Confirmer confirmer);

private:
    void refreshRun();

    QPointer<CanFlashingFunctionV1> m_function;
    QPointer<QProgressBar> m_progress;
    QPointer<QLabel> m_block;
    QPointer<QLabel> m_result;
    QPointer<QWidget> m_target;
    QList<QPointer<QWidget>> m_idleOnly;
    qint64 m_runStartMs = -1;
};
