#pragma once

#include <QTableView>

class QAction;

// The raw traffic table. New frames arrive as rows at the top. While the user selects rows, or
// with "follow" off, the view moves down with every insertion, so the rows under the cursor stay
// where they are and a shift-click selects what the user saw; with "follow" on and nothing
// selected, the newest rows stay in view. The follow choice is kept in the settings as
// "RawState/Follow". The "Decode frames" choice ("RawState/Decode") switches the decoded text
// that the bus thread writes for every frame; off, the "Decoded data" column keeps only the
// transport texts and the names of the items, and dispatch costs less. GUI thread.
class RawDataView : public QTableView
{
    Q_OBJECT

public:
    explicit RawDataView(QWidget *parent = nullptr);

    QAction *followAction() const { return m_follow; }
    QAction *decodeAction() const { return m_decode; }
    bool isFollowing() const;
    void setFollowing(bool on);
    // True while rows inserted at the top move the view along with them.
    bool keepsRowsInPlace() const;
    // The raw and time columns as wide as their widest texts, the decoded text taking the
    // rest of the width. Needs the model.
    void fitColumns();

protected:
    void rowsInserted(const QModelIndex &parent, int start, int end) override;
    void updateGeometries() override;
    void reset() override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QAction *m_follow = nullptr;
    QAction *m_decode = nullptr;
    // Rows inserted above the view since the scroll bar last learned the row count.
    int m_pendingShift = 0;
    int m_layoutDepth = 0;
    bool m_mouseDown = false;
};
