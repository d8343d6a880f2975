#pragma once

#include <QPointer>
#include <QProgressBar>

class TrafficCalculator;

// Bus load as a bar on a scale of 0 to 100 % of the bus capacity, with the load as text
// ("13.1 %").
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
