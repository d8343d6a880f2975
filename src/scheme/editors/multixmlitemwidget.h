#pragma once

#include <QWidget>

class QDomElement;
class SchemeTreeModel;

// A scheme tab's panel: editors, single parameter editors and state lamps of several scheme
// items in one layout, built once from the tab's element. Items are found by their unique key;
// the editors belong to the items' tree nodes and close with them. GUI thread.
class MultiXmlItemWidget : public QWidget
{
    Q_OBJECT

public:
    MultiXmlItemWidget(const QDomElement &element, SchemeTreeModel *model,
                       QWidget *parent = nullptr);

    // Builds the widget for one element; with a container, lays the element's children out in
    // it instead and returns the container.
    QWidget *createWidgetFromDom(const QDomElement &element, QWidget *container = nullptr);
    QWidget *createPgnWidget(const QString &path, unsigned int view);
    QWidget *createParameterWidget(const QString &path, int id);
    QWidget *createDeviceStateWidget(const QString &path);

    // Editors, parameter editors and lamps built for items that were found.
    int builtCells() const { return m_builtCells; }

private:
    QWidget *createCell(const QDomElement &element);

    SchemeTreeModel *m_model;
    int m_builtCells = 0;
};
