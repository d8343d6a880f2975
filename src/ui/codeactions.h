#pragma once

#include <QObject>
#include <QPointer>

class AbstractDisplayableItem;
class MainWindow;
class QAction;
class QTimer;
class TroubleCodesFunction;

// "Trouble codes" in a unit's context menu in the scheme tree: the unit's DM1 and DM2 functions
// added where missing, the unit asked for its previously active codes and then for its active
// ones, and the DM2 row shown in Details. Enabled only for a J1939 unit the tool can ask; its
// status tip says why not. GUI thread; the requests leave on the bus thread.
class CodeActions : public QObject
{
    Q_OBJECT

public:
    // How long the DM1 request waits for the DM2 answer: a unit sends one long message to an
    // address at a time, so the second request follows the first answer.
    static int s_followUpMs;

    explicit CodeActions(MainWindow *window);

public slots:
    void updateActions();
    void showTroubleCodes();

private:
    // The unit's function for that catalogue key, added through the unit's function catalogue
    // when missing; null (and the reason in the status bar) when the unit cannot take one.
    TroubleCodesFunction *ensureFunction(AbstractDisplayableItem *unit, const QByteArray &key,
                                         quint32 pgn);
    void showDetailsOf(AbstractDisplayableItem *item);
    bool request(TroubleCodesFunction *function);
    void followUp();
    void message(const QString &text);

    MainWindow *m_window;
    QAction *m_codes;
    QTimer *m_followUp;
    QPointer<TroubleCodesFunction> m_dm1;
    QPointer<TroubleCodesFunction> m_dm2;
    qint64 m_askedMs = 0;
};
