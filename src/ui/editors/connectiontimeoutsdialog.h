#pragma once

#include "model/tpconnection.h"

#include <QDialog>

class QSpinBox;

// Edits the receiver timings of transport-protocol connections; OK stores them in the settings
// group "ConnectionTiming" (the caller then reloads them).
class ConnectionTimeoutsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ConnectionTimeoutsDialog(QWidget *parent = nullptr);

    TPConnection::Timing values() const;
    void setValues(const TPConnection::Timing &timing);
    void accept() override;

public slots:
    void restoreDefaults();
    void showDiagram();

private:
    QSpinBox *addSpin(class QFormLayout *form, const QString &label, const char *objectName,
                      int maximum);

    QSpinBox *m_rtsToCts = nullptr;
    QSpinBox *m_dataToCts0 = nullptr;
    QSpinBox *m_pause = nullptr;
    QSpinBox *m_dataToAck = nullptr;
    QSpinBox *m_window = nullptr;
    QSpinBox *m_dataToData = nullptr;
    QSpinBox *m_ctsToData = nullptr;
};
