#pragma once

#include <QPointer>
#include <QProgressBar>

class TrafficCalculator;

// Bus load as a bar: full from 10 % load on, the text giving the load in percent.
class CanLoadBar : public QProgressBar
{
    Q_OBJECT

public:
    explicit CanLoadBar(TrafficCalculator *calculator, QWidget *parent = nullptr);

    double loadPercentage() const;
    QString text() const override;
    int load() const { return m_load; }

public slots:
    void setLoad(int frames);

private:
    int capacity() const;

    int m_load = 0;
    QPointer<TrafficCalculator> m_calculator;
};
