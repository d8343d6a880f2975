#pragma once

#include <QString>

class QWidget;

// Opens a file or folder with the program the desktop has for it. Where nothing opens it (no
// browser, no file manager, a bare service laptop), the window's status bar says so and where the
// file is, instead of nothing happening. Returns whether the desktop took it.
bool openWithDesktop(QWidget *from, const QString &path);
