#pragma once

#include "descriptions/candevicefactory.h"

#include <QCoreApplication>
#include <QDomDocument>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class QDomElement;

// The engineer's DBC databases as a scheme keeps them: a "database" element per database of each
// bus, in order, with its path (relative to the scheme's folder where it can be), the SHA-256 of
// its content and the engineer's choices. A database whose file is missing, no longer a DBC or
// changed since the scheme was saved is told, never dropped: a missing one stays in the list,
// without messages, and is written back as it was.
class SchemeDatabases
{
    Q_DECLARE_TR_FUNCTIONS(SchemeDatabases)

public:
    static const QString Tag;

    // A bus's catalogue and the number the file gives the bus.
    using Bus = QPair<const CanDeviceFactory *, int>;
    // Databases of the run, not the scheme's, which are not written.
    using Skip = CanDeviceFactory::Databases;
    // Appends the elements of the buses' databases to `root`, then the kept ones of buses not in
    // the window. `schemePath` is the file written.
    static void write(QDomElement root, const QList<Bus> &buses, const QString &schemePath,
                      const QDomDocument &kept, const Skip &skip = Skip());

    struct Read
    {
        // By bus number.
        QHash<int, CanDeviceFactory::Databases> byBus;
        // Elements of buses not in the window, written back unchanged.
        QDomDocument kept;
        // What the engineer must hear, one line each.
        QStringList problems;
    };
    // Reads the databases the root names for the buses numbered in `busNumbers`.
    static Read read(const QDomElement &root, const QString &schemePath,
                     const QList<int> &busNumbers);

    // The database read from a file again (the engineer's choices kept), or one without messages
    // that says what went wrong.
    static std::shared_ptr<DbcDatabase> load(const QString &path, QStringList *warnings);
    // A copy of `database` with the engineer's choices changed.
    static std::shared_ptr<const DbcDatabase>
    withChoices(const DbcDatabase &database, bool winsOverLibrary, bool extendedAsJ1939);
};
