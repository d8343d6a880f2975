#pragma once

#include "scheme/abstractschemetreeitem.h"

#include <QPointer>
#include <QTimer>

#include <functional>

class CanFlashingFunctionV1;
class QCheckBox;
class QLabel;
class QProgressBar;
class QSpinBox;
class QVBoxLayout;
class TargetEditor;
class QWidget;

// The tree node of the flashing function and its editor: target and delay, the unit's
// identification and the program file, the request, file, start and stop buttons, the flags, the
// progress bar and the state and result texts. The Details panel, a detail dock and a scheme
// tab's cell each get one; all follow the run. Start asks the engineer to confirm the unit and
// the file first. GUI thread; the function is reached by queued calls by name.
class CanFlashingFunctionV1SchemeTreeItem : public AbstractSchemeTreeItem
{
    Q_OBJECT

public:
    using FileChooser = std::function<QString(QWidget *parent)>;
    using Confirmer = std::function<bool(QWidget *parent, const QString &question)>;

    explicit CanFlashingFunctionV1SchemeTreeItem(CanFlashingFunctionV1 *function);

    QWidget *createWidget() override;
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
    // The controls of one editor that follow the run.
    struct Editor
    {
        QPointer<QWidget> root;
        QPointer<QProgressBar> progress;
        QPointer<QLabel> block;
        QPointer<QLabel> state;
        QPointer<QLabel> result;
        QPointer<QLabel> file;
        QPointer<QLabel> ecuId;
        QPointer<QLabel> softId;
        QPointer<TargetEditor> target;
        QPointer<QSpinBox> delay;
        QPointer<QCheckBox> continuous;
        QPointer<QCheckBox> lowLatency;
        QPointer<QCheckBox> retransmit;
        QList<QPointer<QWidget>> idleOnly;
    };

    void addButtons(QWidget *widget, QVBoxLayout *box, Editor *editor);
    // Writes one of the flasher's settings (GUI thread; the run reads them at Start).
    void setSetting(int index, const QVariant &value);
    void refreshRun();
    void refreshEditor(const Editor &editor, const QString &blockText);
    QString blockText();

    QPointer<CanFlashingFunctionV1> m_function;
    QList<Editor> m_editors;
    qint64 m_runStartMs = -1;
    // The tree refreshes once a second; a transfer is followed more closely while it runs.
    QTimer m_runTimer;
};
