#pragma once

#include <QString>

#include <functional>

class QDomElement;
class QWidget;

// Builds widgets from layout elements: "widget", "group" and "label" containers laid out as
// "grid" (rows of cells with spans), "vbox", "hbox" or "form". Every other element is offered
// to a caller's cell builder (a parameter editor, a lamp, ...). Shared by described function
// editors and scheme tab panels. GUI thread.
class XmlLayoutBuilder
{
public:
    // Returns the widget for an element the caller knows, or nullptr to let the builder try
    // its containers. Called for every element visited, containers included.
    using CellBuilder = std::function<QWidget *(const QDomElement &element)>;

    // Files may be hostile: nesting, spans and margins are bounded.
    static constexpr int MaxDepth = 32;
    static constexpr int MaxGridColumns = 64;
    static constexpr int MaxMargin = 100;

    explicit XmlLayoutBuilder(CellBuilder cell);

    // Honour the "margin" attribute of containers (off: the layouts keep Qt's margins).
    void setMarginsEnabled(bool enabled) { m_margins = enabled; }

    // The widget an element builds to, or nullptr for an element that builds nothing.
    QWidget *build(const QDomElement &element);
    // Lays an element's children out in an existing container.
    void applyLayout(QWidget *container, const QDomElement &element);

    // Elements refused for their depth since the builder was made.
    int refusedCount() const { return m_refused; }
    static QString labelText(const QDomElement &element);

private:
    QWidget *build(const QDomElement &element, int depth);
    void applyLayout(QWidget *container, const QDomElement &element, int depth);
    void layoutGrid(QWidget *container, const QDomElement &element, int depth);

    CellBuilder m_cell;
    bool m_margins = false;
    int m_refused = 0;
};
