#pragma once

#include "diagnostics/dm25function.h"
#include "diagnostics/editors/freezeframeschemetreeitem.h"

#include <QElapsedTimer>
#include <QStringList>

class QComboBox;
class QPushButton;
class QSpinBox;

// The tree node of a DM25 function. Besides the table of every record, its editor asks for the
// freeze frame of one code: the engineer picks one of the unit's active or previously active
// codes (or types SPN, FMI and occurrence count), the tool asks the unit's DM24 first when it
// has none, then DM25, and shows that code's values with a lasting result line. GUI thread.
class DM25SchemeTreeItem : public FreezeFrameSchemeTreeItem
{
    Q_OBJECT

public:
    struct Code
    {
        quint32 spn = 0;
        int fmi = 0;
        int oc = -1; // -1: any occurrence count
    };
    struct KnownCode
    {
        QString text;
        Code code;
    };

    explicit DM25SchemeTreeItem(DM25Function *function);

    // How long each answer (DM24, then DM25) is waited for.
    static int s_answerTimeoutMs;
    // The unit's active (DM1) and previously active (DM2) codes, as the chooser lists them.
    QVector<KnownCode> knownCodes() const;

protected:
    void addSections(QWidget *widget, QVBoxLayout *box) override;
    void refresh() override;
    bool isBusy() const override { return m_step != Idle; }

private:
    enum Step { Idle, AskingDm24, AskingDm25 };
    struct CodeEditor
    {
        QPointer<QComboBox> codes;
        QPointer<QSpinBox> spn;
        QPointer<QSpinBox> fmi;
        QPointer<QSpinBox> oc;
        QPointer<QPushButton> button;
        QPointer<QLabel> result;
        QPointer<QTableWidget> values;
        QStringList shownCodes;
        int shownSerial = -1;
    };

    void start(const Code &code, QWidget *from);
    void askDm25(QWidget *from);
    void finish();
    void refreshCodes(CodeEditor *editor, const QVector<KnownCode> &known);
    QString codeText() const;

    QPointer<DM25Function> m_dm25;
    QVector<CodeEditor> m_codeEditors;
    Step m_step = Idle;
    Code m_code;
    QElapsedTimer m_waiting;
    int m_startGeneration = 0;
    QString m_codeResult;
    QVector<QStringList> m_valueRows;
    int m_resultSerial = 0;
};
