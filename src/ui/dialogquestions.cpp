#include "ui/dialogquestions.h"

#include "can/editors/adapterchoicedialog.h"

#include "ui/editors/connectiontimeoutsdialog.h"
#include "ui/editors/hexaddressdialog.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

DialogQuestions::DialogQuestions(QWidget *parent)
    : m_parent(parent)
{}

int DialogQuestions::askInt(const QString &title, const QString &label, int value, int min, int max,
                            bool *ok)
{
    return QInputDialog::getInt(m_parent, title, label, value, min, max, 1, ok);
}

QString DialogQuestions::askText(const QString &title, const QString &label, const QString &text,
                                 bool *ok)
{
    return QInputDialog::getText(m_parent, title, label, QLineEdit::Normal, text, ok);
}

quint32 DialogQuestions::askAddress(const QString &title, const QString &label, quint32 value,
                                    quint32 maximum, bool *ok)
{
    HexAddressDialog dialog(title, label, value, maximum, m_parent);
    *ok = dialog.exec() == QDialog::Accepted && dialog.hasAcceptableInput();
    return dialog.value();
}

QString DialogQuestions::askOpenFileName(const QString &title, const QString &filter,
                                         const QString &start)
{
    return QFileDialog::getOpenFileName(m_parent, title, start, filter);
}

QString DialogQuestions::askSaveFileName(const QString &title, const QString &filter,
                                         const QString &start, QString *selectedFilter)
{
    return QFileDialog::getSaveFileName(m_parent, title, start, filter, selectedFilter);
}

QString DialogQuestions::askDirectory(const QString &title, const QString &start)
{
    return QFileDialog::getExistingDirectory(m_parent, title, start, QFileDialog::ShowDirsOnly);
}

bool DialogQuestions::askConfirm(const QString &title, const QString &text)
{
    return QMessageBox::question(m_parent, title, text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No)
           == QMessageBox::Yes;
}

UserQuestions::SaveChoice DialogQuestions::askSaveChanges(const QString &title,
                                                          const QString &question,
                                                          const QString &fileName)
{
    Q_UNUSED(fileName) // the question names it
    const QMessageBox::StandardButton answer = QMessageBox::question(
        m_parent, title, question, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
        QMessageBox::Save);
    if (answer == QMessageBox::Save)
        return SaveChoice::Save;
    return answer == QMessageBox::Discard ? SaveChoice::Discard : SaveChoice::Cancel;
}

bool DialogQuestions::askRetry(const QString &title, const QString &text)
{
    return QMessageBox::critical(m_parent, title, text, QMessageBox::Retry | QMessageBox::Cancel)
           == QMessageBox::Retry;
}

void DialogQuestions::showError(const QString &title, const QString &text)
{
    QMessageBox::warning(m_parent, title, text);
}

bool DialogQuestions::runConnectionTimeoutsDialog()
{
    ConnectionTimeoutsDialog dialog(m_parent);
    return dialog.exec() == QDialog::Accepted;
}

int DialogQuestions::askAdapterType()
{
    AdapterChoiceDialog dialog({}, m_parent);
    return dialog.exec();
}

int DialogQuestions::askChoice(const QString &title, const QString &label, const QStringList &items)
{
    bool ok = false;
    const QString chosen = QInputDialog::getItem(m_parent, title, label, items, 0, false, &ok);
    return ok ? items.indexOf(chosen) : -1;
}
