#pragma once

#include <QObject>

class QWidget;

// Keeps the mouse wheel from changing values by accident: spin boxes, combo boxes and sliders
// under a guarded editor take the wheel only while they have the keyboard focus; otherwise the
// wheel goes on to the enclosing panel, which scrolls. The wheel no longer gives them the focus
// either. Editors built later inside a guarded widget are guarded when they are polished. GUI
// thread.
class WheelGuard : public QObject
{
    Q_OBJECT

public:
    // Guards `root` and every widget below it; the guard lives as long as `root`.
    static void install(QWidget *root);
    static bool isGuarded(const QWidget *widget);
    // Spin boxes, combo boxes and sliders: widgets whose value follows the wheel.
    static bool isValueEditor(const QWidget *widget);

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit WheelGuard(QWidget *root);
    void guard(QWidget *widget);
};
