#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class QPlainTextEdit;

// Asks what identifies a service visit before its job starts: the machine's serial number or
// VIN, the order number, the engineer, notes, and where the job folders go. GUI thread.
class ServiceJobDialog : public QDialog
{
    Q_OBJECT

public:
    struct Answers
    {
        QString serial;
        QString vin;
        QString order;
        QString engineer;
        QString notes;
        QString jobsDirectory;
    };

    ServiceJobDialog(const Answers &proposed, QWidget *parent = nullptr);

    Answers answers() const;

private:
    void browse();
    void updateOk();

    QLineEdit *m_serial;
    QLineEdit *m_vin;
    QLineEdit *m_order;
    QLineEdit *m_engineer;
    QPlainTextEdit *m_notes;
    QLineEdit *m_directory;
    QPushButton *m_ok = nullptr;
};
