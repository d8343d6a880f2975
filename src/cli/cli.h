#pragma once

#include <QCoreApplication>

// The translation context of the console program's texts ("Cli").
class Cli
{
    Q_DECLARE_TR_FUNCTIONS(Cli)
};
