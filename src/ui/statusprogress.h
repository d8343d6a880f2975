#pragma once

#include <QObject>
#include <QString>

class QPushButton;
class QStatusBar;

// A long piece of work's progress in the window's status bar ("Learning… 42 %") with a Cancel
// button beside it, which Esc presses while it shows. GUI thread.
class StatusProgress : public QObject
{
    Q_OBJECT

public:
    // `cancelName`: the Cancel button's object name.
    StatusProgress(QStatusBar *bar, const QString &cancelName, QObject *parent = nullptr);

    // Shows the text and Cancel.
    void begin(const QString &text);
    void setPercent(int percent);
    // Takes the text and Cancel away.
    void end();
    bool isShown() const { return m_shown; }

signals:
    // The engineer pressed Cancel (once: the button then waits for end()).
    void cancelRequested();

private:
    QStatusBar *m_bar;
    QPushButton *m_cancel;
    QString m_text;
    bool m_shown = false;
};
