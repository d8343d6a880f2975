#pragma once

#include <QObject>

class QWidget;

namespace EditorCast {
enum Direction { ToEditor, FromEditor };
// "Can't update <parameter> to/from other than <editor>".
void logMismatch(const char *parameter, const char *editor, Direction direction);
} // namespace EditorCast

// The editor a parameter shows itself in, or null (and the mismatch logged) when the widget is
// of another kind. GUI thread.
template<typename Editor>
Editor *editorCast(QWidget *widget, const char *parameter, EditorCast::Direction direction)
{
    auto *editor = qobject_cast<Editor *>(widget);
    if (!editor)
        EditorCast::logMismatch(parameter, Editor::staticMetaObject.className(), direction);
    return editor;
}
