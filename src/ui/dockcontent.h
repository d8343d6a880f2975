#pragma once

class QDockWidget;
class QWidget;

// Puts a dock's content into a frameless scroll area: the dock can then be made as small as
// the screen needs (a laptop with every dock open), and its content scrolls instead of pushing
// the status bar off screen.
void setScrolledDockContent(QDockWidget *dock, QWidget *content);
// The content given to setScrolledDockContent (or the dock's own widget otherwise).
QWidget *dockContent(QDockWidget *dock);
