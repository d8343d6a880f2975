#include "model/editorcast.h"

#include <QDebug>

void EditorCast::logMismatch(const char *parameter, const char *editor, Direction direction)
{
    qDebug("Can't update %s %s other than %s", parameter, direction == ToEditor ? "to" : "from",
           editor);
}
