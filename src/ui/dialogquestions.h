#pragma once

#include "ui/userquestions.h"

#include <QPointer>

class QWidget;

// Asks the user with modal dialogs over the given window. GUI thread.
class DialogQuestions : public UserQuestions
{
public:
    explicit DialogQuestions(QWidget *parent);

    int askInt(const QString &title, const QString &label, int value, int min, int max,
               bool *ok) override;
    QString askText(const QString &title, const QString &label, const QString &text,
                    bool *ok) override;
    quint32 askAddress(const QString &title, const QString &label, quint32 value, quint32 maximum,
                       bool *ok) override;
    QString askOpenFileName(const QString &title, const QString &filter,
                            const QString &start) override;
    QString askSaveFileName(const QString &title, const QString &filter, const QString &start,
                            QString *selectedFilter) override;
    QString askDirectory(const QString &title, const QString &start) override;
    bool askConfirm(const QString &title, const QString &text) override;
    SaveChoice askSaveChanges(const QString &title, const QString &question,
                              const QString &fileName) override;
    bool askRetry(const QString &title, const QString &text) override;
    void showError(const QString &title, const QString &text) override;
    bool runConnectionTimeoutsDialog() override;
    int askAdapterType() override;
    int askChoice(const QString &title, const QString &label, const QStringList &items) override;

private:
    QPointer<QWidget> m_parent;
};
