#pragma once

#include <QDockWidget>
#include <QList>

class AddressMaskMessageFilter;
class DispatchMessageFilter;
class MessageFilter;
class PriorityMessageFilter;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QRadioButton;
class QSettings;
class QSlider;
class TargetMessageFilter;

// The "Filters" dock: the four raw traffic filters and the form that drives them. GUI thread.
class FilterDockWidget : public QDockWidget
{
    Q_OBJECT

public:
    explicit FilterDockWidget(QWidget *parent = nullptr);

    // Dispatch, address mask, priority, target.
    QList<MessageFilter *> filters() const;
    // Inside the caller's group "Filters".
    void saveSettings(QSettings &settings) const;
    void restoreSettings(QSettings &settings);

    static quint32 idFieldValue(const QString &text);

private:
    void buildForm();

    DispatchMessageFilter *m_dispatch;
    AddressMaskMessageFilter *m_address;
    PriorityMessageFilter *m_priority;
    TargetMessageFilter *m_target;
    QGroupBox *m_dispatchGroup = nullptr;
    QButtonGroup *m_dispatchButtons = nullptr;
    QGroupBox *m_priorityGroup = nullptr;
    QSlider *m_prioritySlider = nullptr;
    QGroupBox *m_idGroup = nullptr;
    QLineEdit *m_maskEdit = nullptr;
    QLineEdit *m_valueEdit = nullptr;
    QCheckBox *m_targetCheck = nullptr;
};
