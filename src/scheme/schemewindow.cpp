#include "scheme/schemewindow.h"

#include <QWidget>

SchemeWindow *SchemeWindow::of(QWidget *widget)
{
    // A floating dock is a window of its own, but its parent is still the main window.
    for (QWidget *w = widget; w; w = w->parentWidget()) {
        if (auto *window = dynamic_cast<SchemeWindow *>(w))
            return window;
    }
    return nullptr;
}
