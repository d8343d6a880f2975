#pragma once

#include <QString>
#include <QStringList>

// What the user asked for on the command line.
struct CommandLineOptions
{
    int adapterType = 0; // 0: ask with the adapter-choice dialog
    QString port;        // empty: ask when the adapter offers more than one
    QStringList morePorts; // --port given again: further buses on the same adapter type
    unsigned bitRate = 250000;
    QString libraryPath; // the adapter library to load (j2534, slcan, slmcp); empty: settings
    QString schemeFile;
    QString language; // empty: the stored choice, else the system's
    bool demo = false; // the demo bus with the example scheme
    bool showHelp = false;
    bool showVersion = false;
    QString error; // not empty: the command line was refused

    static CommandLineOptions parse(const QStringList &arguments);
    // The scheme to open once the bus runs on the adapter finally used: the one named here; the
    // example scheme for --demo or when the demo bus was chosen in the start dialog; else none.
    QString schemeToOpen(int chosenAdapterType) const;
    static QString helpText();
};
