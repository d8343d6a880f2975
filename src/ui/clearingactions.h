#pragma once

#include <QObject>

class AbstractDisplayableItem;
class CodeClearingFunction;
class MainWindow;
class QAction;

// A unit's context menu "Clear codes…": the engineer chooses active (DM11) and/or previously
// active (DM3) codes, this unit or all, confirms with the codes that will go listed, and the
// unit's clearing function runs on the bus thread; its result stays in the function's row, its
// Details and the status bar. GUI thread.
class ClearingActions : public QObject
{
    Q_OBJECT

public:
    explicit ClearingActions(MainWindow *window);

    // What the confirmation lists for a unit: its name and address, the codes of the chosen
    // lists, "codes not read yet" where its DM1/DM2 is not known.
    static QString unitCodesText(const AbstractDisplayableItem *unit, int kinds);

public slots:
    void updateAction();
    void clearCodes();

private slots:
    void showResult(const QString &summary);

private:
    // The unit's clearing function, added to the scheme when it has none.
    CodeClearingFunction *clearingFunction(AbstractDisplayableItem *unit);
    void showDetailsOf(AbstractDisplayableItem *item);
    void message(const QString &text, int timeoutMs = 8000);

    MainWindow *m_window;
    QAction *m_clear;
};
