#pragma once

#include "support/scriptedquestions.h"
#include "ui/mainwindow.h"

// The real main window whose questions the test answers (the fields of ScriptedQuestions). The
// answers come first among the bases, so they outlive the window that asks them.
class ScriptedMainWindow : public ScriptedQuestions, public MainWindow
{
public:
    ScriptedMainWindow()
    {
        dialogParent = this;
        setQuestions(this);
    }
};
