#pragma once

#include "descriptions/candevicefactory.h"

#include <QDialog>
#include <QStringList>
#include <QVector>

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;
class UserQuestions;

// Options ▸ Databases…: the engineer's DBC databases of each bus, in the order they are asked,
// with the choices of each (before the library, extended frames matched by PGN). Files are
// chosen through the window's questions and read at once, so a file that is no database is
// refused here. The lists are the dialog's own until OK. GUI thread.
class DatabasesDialog : public QDialog
{
    Q_OBJECT

public:
    enum Column { FileColumn, MessagesColumn, WinsColumn, ByPgnColumn, StateColumn, ColumnCount };

    // One list per bus, named by `busNames` (the combo shows when there are several).
    DatabasesDialog(const QStringList &busNames, const QVector<CanDeviceFactory::Databases> &lists,
                    UserQuestions *questions, QWidget *parent = nullptr);

    QVector<CanDeviceFactory::Databases> lists() const { return m_lists; }

private:
    void showBus(int bus);
    void fillTable();
    void addFile();
    void removeCurrent();
    void move(int step);
    void takeChoices(int row);
    void updateButtons();

    QVector<CanDeviceFactory::Databases> m_lists;
    UserQuestions *m_questions;
    int m_bus = 0;
    bool m_filling = false;
    QComboBox *m_busBox = nullptr;
    QTableWidget *m_table = nullptr;
    QLabel *m_note = nullptr;
    QPushButton *m_remove = nullptr;
    QPushButton *m_up = nullptr;
    QPushButton *m_down = nullptr;
};
