#include "ui/desktopfiles.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QMainWindow>
#include <QStatusBar>
#include <QUrl>
#include <QWidget>

bool openWithDesktop(QWidget *from, const QString &path)
{
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        return true;
    QWidget *top = from ? from->window() : nullptr;
    auto *window = qobject_cast<QMainWindow *>(top);
    if (!window && top)
        window = qobject_cast<QMainWindow *>(top->parentWidget() ? top->parentWidget()->window()
                                                                 : nullptr);
    if (window)
        window->statusBar()->showMessage(
            QCoreApplication::translate("DesktopFiles",
                                        "No program on this computer opens %1; it is there to "
                                        "copy or open by hand")
                .arg(QDir::toNativeSeparators(path)),
            20000);
    return false;
}
