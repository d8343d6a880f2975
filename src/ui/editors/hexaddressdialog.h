#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// Asks for a bus address in hexadecimal, as the window shows addresses everywhere: "a5", "A5"
// and "0xA5" all mean 0xA5. The accepted range is shown, and OK stays disabled until the text
// is an address inside it, so a mistyped digit never picks a unit the user did not mean. GUI
// thread.
class HexAddressDialog : public QDialog
{
    Q_OBJECT

public:
    HexAddressDialog(const QString &title, const QString &label, quint32 value, quint32 maximum,
                     QWidget *parent = nullptr);

    // True when `text` is one to eight hexadecimal digits, with or without "0x", not above
    // `maximum`; blanks around it are allowed, anything else is not.
    static bool parse(const QString &text, quint32 maximum, quint32 *value);
    // "0x" and the value with as many digits as `maximum` needs (at least two).
    static QString format(quint32 value, quint32 maximum);

    quint32 value() const;
    bool hasAcceptableInput() const;
    QLineEdit *lineEdit() const { return m_edit; }

private:
    void textChanged();

    quint32 m_maximum;
    QLineEdit *m_edit = nullptr;
    QLabel *m_range = nullptr;
    QPushButton *m_ok = nullptr;
};
