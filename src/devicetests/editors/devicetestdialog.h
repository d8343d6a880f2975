#pragma once

#include <QDialog>
#include <QPointer>

class DeviceTest;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

// Runs a device test step by step with the engineer: the step list with each step's result, the
// instruction or message of the current step, its stability bar, Skip, Save report and
// Cancel/Finish. Owns the test; closing stops it and puts back what it wrote. GUI thread.
class DeviceTestDialog : public QDialog
{
    Q_OBJECT

public:
    explicit DeviceTestDialog(DeviceTest *test, QWidget *parent = nullptr);
    ~DeviceTestDialog() override;

    DeviceTest *test() const { return m_test; }
    // Where the "Save report…" dialog starts; by default the parameter log's directory.
    void setReportDirectory(const QString &directory) { m_reportDirectory = directory; }
    QString reportDirectory() const;
    QStringList savedReports() const { return m_savedReports; }

    void done(int result) override;

public slots:
    void slotCurrentTestChanged(int index);
    void slotShowWarningMessage(const QString &text);
    void slotShowFaultMessage(const QString &text);
    void slotHideMessage();
    void slotSaveReport();

protected:
    void showEvent(QShowEvent *event) override;
    // Asks before cancelling a run that has results; tests answer it themselves.
    virtual bool confirmCancel();
    // Asks where the report goes, starting at `proposed`; empty when the engineer cancels.
    virtual QString askReportPath(const QString &proposed);

private:
    void updateRow(int row);
    void showMessage(const QString &iconPath, const QString &text);

    QPointer<DeviceTest> m_test;
    QTableWidget *m_table;
    QPushButton *m_skipButton;
    QPushButton *m_cancelButton;
    QPushButton *m_saveButton;
    QProgressBar *m_progress;
    QLabel *m_iconLabel;
    QLabel *m_textLabel;
    QLabel *m_statusLabel;
    QString m_reportDirectory;
    QStringList m_savedReports;
    bool m_started = false;
};
