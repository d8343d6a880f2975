#pragma once

#include "model/itemexpectation.h"

#include <QGroupBox>
#include <QPointer>
#include <QTimer>

class AbstractSchemeTreeItem;
class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QTableWidget;
class QVBoxLayout;

// The "Expected" box under an item's editor in Details: what the bus check expects of the item
// (presence, period and tolerance, value ranges per parameter and, for a unit, its NAME,
// software and allowed trouble codes). Edits stay in the box until Apply writes them to the item;
// Clear removes the item's expectation. While the engineer has not edited it, the box follows
// the item (learning writes expectations too). GUI thread; the item lives in the bus thread and
// its expectation is read and written through its guarded accessors.
class ExpectationBox : public QGroupBox
{
    Q_OBJECT

public:
    static constexpr int DefaultRefreshMs = 1000;

    explicit ExpectationBox(AbstractSchemeTreeItem *node, QWidget *parent = nullptr);

    // How often a shown box looks whether the item's expectation changed (shortened by tests).
    static void setRefreshInterval(int ms) { s_refreshMs = ms; }

    // Shows the item's expectation as it is now, dropping edits not applied.
    void reload();
    // The expectation the box shows, as Apply would write it; false with the reason in *error.
    bool edited(ItemExpectation *expectation, QString *error) const;

signals:
    // Apply or Clear changed the item's expectation.
    void expectationChanged();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void apply();
    void clear();
    // Shows the item's expectation again when it changed and the box holds no edits.
    void follow();
    // The engineer edited something: the status about the item as it was goes.
    void touched();
    void buildIdentification(QFormLayout *form);
    void buildRanges();
    void buildButtons(QVBoxLayout *column);
    void showRanges(const ItemExpectation &x);
    bool editedRanges(QList<ItemExpectation::Range> *ranges, QString *error) const;
    bool isUnit() const;
    void setStatus(const QString &text, bool error = false);

    QPointer<AbstractSchemeTreeItem> m_node;
    // What the box last showed: edits made since then are the engineer's own.
    ItemExpectation m_shown;
    QComboBox *m_presence = nullptr;
    QLineEdit *m_period = nullptr;
    QLineEdit *m_tolerance = nullptr;
    QCheckBox *m_eventDriven = nullptr;
    QTableWidget *m_ranges = nullptr;
    QLineEdit *m_name = nullptr;
    QLineEdit *m_software = nullptr;
    QLineEdit *m_codes = nullptr;
    QLineEdit *m_groups = nullptr;
    QLabel *m_status = nullptr;
    QTimer m_follow;
    static int s_refreshMs;
};
