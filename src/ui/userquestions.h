#pragma once

#include <QString>
#include <QStringList>

// The questions the main window puts to the user. The window asks through one of these: modal
// dialogs in the program, scripted answers in tests. Callers pass the texts; an implementation
// only shows them and returns the answer. GUI thread.
class UserQuestions
{
public:
    enum class SaveChoice { Save, Discard, Cancel };

    virtual ~UserQuestions() = default;

    virtual int askInt(const QString &title, const QString &label, int value, int min, int max,
                       bool *ok)
        = 0;
    virtual QString askText(const QString &title, const QString &label, const QString &text,
                            bool *ok)
        = 0;
    // A bus address in hexadecimal, 0..maximum.
    virtual quint32 askAddress(const QString &title, const QString &label, quint32 value,
                               quint32 maximum, bool *ok)
        = 0;
    // Empty when cancelled. start is the folder or file the dialog opens at.
    virtual QString askOpenFileName(const QString &title, const QString &filter,
                                    const QString &start)
        = 0;
    // Empty when cancelled; selectedFilter receives the file type chosen in the dialog.
    virtual QString askSaveFileName(const QString &title, const QString &filter,
                                    const QString &start, QString *selectedFilter)
        = 0;
    virtual QString askDirectory(const QString &title, const QString &start) = 0;
    // Yes/No with No as the default.
    virtual bool askConfirm(const QString &title, const QString &text) = 0;
    // fileName names the changed scheme; question says what would be lost.
    virtual SaveChoice askSaveChanges(const QString &title, const QString &question,
                                      const QString &fileName)
        = 0;
    // Retry/Cancel after a failure; true tries again.
    virtual bool askRetry(const QString &title, const QString &text) = 0;
    virtual void showError(const QString &title, const QString &text) = 0;
    // The connection options dialog; true when the user accepted changed options.
    virtual bool runConnectionTimeoutsDialog() = 0;
    // The adapter of a bus to add, with the adapter-choice dialog; 0 when cancelled.
    virtual int askAdapterType() = 0;
    // One of the items, by its position; -1 when cancelled.
    virtual int askChoice(const QString &title, const QString &label, const QStringList &items) = 0;
};
