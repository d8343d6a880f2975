#pragma once

#include <QDialog>
#include <QHash>

class QGroupBox;
class QVBoxLayout;

// A small dialog of choices before a bus service runs: check boxes and groups of radio buttons,
// each found by its object name, with OK and Cancel. GUI thread.
class ServiceChoiceDialog : public QDialog
{
    Q_OBJECT

public:
    ServiceChoiceDialog(const QString &title, const QString &text, QWidget *parent = nullptr);

    // A check box under `group` (a titled frame made on first use).
    void addCheck(const QString &group, const char *name, const QString &text, bool checked);
    // A radio button under `group`; the buttons of one group exclude each other.
    void addRadio(const QString &group, const char *name, const QString &text, bool checked);
    bool isChecked(const char *name) const;

private:
    QVBoxLayout *groupLayout(const QString &group);

    QVBoxLayout *m_layout;
    QHash<QString, QGroupBox *> m_groups;
};
