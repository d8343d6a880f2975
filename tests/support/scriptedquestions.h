#pragma once

#include "ui/editors/connectiontimeoutsdialog.h"
#include "ui/userquestions.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

// Answers the window's questions from the test instead of modal dialogs, and records each one
// in `asked` ("title|label|value|min|max" for numbers, "title|filter" for files, "title|start"
// for folders, "title|text" for confirmations, "save changes|file" and "retry|text") and each error text in `errors`.
// The connection options stay the real dialog, which tests answer with a ModalAnswerer.
class ScriptedQuestions : public UserQuestions
{
public:
    int intAnswer = 0; // numbers and addresses
    QString textAnswer;
    QString fileAnswer;
    QString filterAnswer; // the file type chosen in a save dialog; none when empty
    QString directoryAnswer;
    int adapterAnswer = 0; // the adapter type of a bus to add; 0 cancels
    int choiceAnswer = -1; // the position chosen among items; -1 cancels
    bool accept = true; // OK in number, text and address questions
    bool confirm = true; // Yes to confirmations
    bool retry = false;
    SaveChoice saveChoice = SaveChoice::Discard;
    QStringList asked;
    QStringList errors;
    QPointer<QWidget> dialogParent;

    int askInt(const QString &title, const QString &label, int value, int min, int max,
               bool *ok) override
    {
        asked << QStringLiteral("%1|%2|%3|%4|%5").arg(title, label).arg(value).arg(min).arg(max);
        *ok = accept;
        return intAnswer;
    }
    QString askText(const QString &, const QString &label, const QString &text, bool *ok) override
    {
        asked << label + QLatin1Char('|') + text;
        *ok = accept;
        return textAnswer;
    }
    quint32 askAddress(const QString &title, const QString &label, quint32 value, quint32 maximum,
                       bool *ok) override
    {
        asked << QStringLiteral("%1|%2|%3|%4").arg(title, label).arg(value).arg(maximum);
        *ok = accept;
        return quint32(intAnswer);
    }
    QString askOpenFileName(const QString &title, const QString &filter, const QString &) override
    {
        asked << title + QLatin1Char('|') + filter;
        return fileAnswer;
    }
    QString askSaveFileName(const QString &title, const QString &filter, const QString &,
                            QString *selectedFilter) override
    {
        asked << title + QLatin1Char('|') + filter;
        if (selectedFilter && !filterAnswer.isEmpty())
            *selectedFilter = filterAnswer;
        return fileAnswer;
    }
    QString askDirectory(const QString &title, const QString &start) override
    {
        asked << title + QLatin1Char('|') + start;
        return directoryAnswer;
    }
    bool askConfirm(const QString &title, const QString &text) override
    {
        asked << title + QLatin1Char('|') + text;
        return confirm;
    }
    SaveChoice askSaveChanges(const QString &, const QString &, const QString &fileName) override
    {
        asked << QStringLiteral("save changes|") + fileName;
        return saveChoice;
    }
    bool askRetry(const QString &, const QString &text) override
    {
        asked << QStringLiteral("retry|") + text;
        return retry;
    }
    void showError(const QString &, const QString &text) override { errors << text; }
    int askAdapterType() override
    {
        asked << QStringLiteral("adapter");
        return adapterAnswer;
    }
    int askChoice(const QString &title, const QString &, const QStringList &items) override
    {
        asked << title + QLatin1Char('|') + items.join(QLatin1Char(','));
        return choiceAnswer;
    }
    bool runConnectionTimeoutsDialog() override
    {
        ConnectionTimeoutsDialog dialog(dialogParent);
        return dialog.exec() == QDialog::Accepted;
    }
};
