#pragma once

#include <QDialog>

class QDoubleSpinBox;
class QSpinBox;

// Asks how many of the last minutes of traffic to learn from and how far the learned value
// ranges widen. GUI thread.
class LearnDialog : public QDialog
{
    Q_OBJECT

public:
    // `available`: the minutes of traffic kept (at least one is offered).
    LearnDialog(int available, QWidget *parent = nullptr);

    int minutes() const;
    double marginPercent() const;

private:
    QSpinBox *m_minutes;
    QDoubleSpinBox *m_margin;
};
