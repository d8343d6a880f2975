#pragma once

#include "ui/mainwindow.h"

#include <QString>
#include <QStringList>

// Answers the window's questions from the test instead of modal dialogs.
class ScriptedMainWindow : public MainWindow
{
public:
    int intAnswer = 0;
    QString textAnswer;
    QString fileAnswer;
    QString directoryAnswer;
    bool accept = true;
    QStringList asked;
    QStringList errors;

protected:
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
    QString askOpenFileName(const QString &title, const QString &filter) override
    {
        asked << title + QLatin1Char('|') + filter;
        return fileAnswer;
    }
    QString askSaveFileName(const QString &title, const QString &filter) override
    {
        asked << title + QLatin1Char('|') + filter;
        return fileAnswer;
    }
    QString askDirectory(const QString &title, const QString &) override
    {
        asked << title;
        return directoryAnswer;
    }
    void showError(const QString &, const QString &text) override { errors << text; }
    quint32 askAddress(const QString &title, const QString &label, quint32 value, quint32 maximum,
                       bool *ok) override
    {
        asked << QStringLiteral("%1|%2|%3|%4").arg(title, label).arg(value).arg(maximum);
        *ok = accept;
        return quint32(intAnswer);
    }
    bool confirmShortPeriod(int) override { return accept; }
    SaveChoice askSaveChanges(const QString &fileName) override
    {
        asked << QStringLiteral("save changes|") + fileName;
        return saveChoice;
    }
    bool askConfirm(const QString &title, const QString &text) override
    {
        asked << title + QLatin1Char('|') + text;
        return confirm;
    }

public:
    SaveChoice saveChoice = SaveChoice::Discard;
    bool confirm = true;
};
