#include "descriptions/spnnames.h"

#include "descriptions/descriptionfiles.h"
#include "model/descriptiontext.h"

#include <QHash>
#include <QRegularExpression>

#include <mutex>

namespace {

std::mutex s_mutex;
bool s_loaded = false;
QHash<quint32, QString> s_names;

QHash<quint32, QString> load()
{
    QHash<quint32, QString> names;
    static const QRegularExpression spnId(QStringLiteral("^SPN(\\d+)$"));
    for (const QString &path : DescriptionFiles::functionLibraryFiles()) {
        for (const QDomElement &func : DescriptionFiles::readFunctionLibrary(path)) {
            for (QDomElement p = func.firstChildElement(QStringLiteral("param")); !p.isNull();
                 p = p.nextSiblingElement(QStringLiteral("param"))) {
                const QRegularExpressionMatch m = spnId.match(
                    p.firstChildElement(QStringLiteral("shortname")).text().trimmed());
                const QString name = p.firstChildElement(QStringLiteral("name")).text().trimmed();
                bool ok = false;
                const quint32 spn = m.hasMatch() ? m.captured(1).toUInt(&ok) : 0;
                // The first group that carries an SPN names it.
                if (ok && !name.isEmpty() && !names.contains(spn))
                    names.insert(spn, name);
            }
        }
    }
    return names;
}

} // namespace

QString SpnNames::name(quint32 spn)
{
    {
        std::lock_guard locker(s_mutex);
        if (s_loaded)
            return s_names.value(spn);
    }
    // Read without the lock: reading may report a broken file in a message box, whose event
    // loop may ask for a name again.
    QHash<quint32, QString> names = load();
    std::lock_guard locker(s_mutex);
    if (!s_loaded) {
        s_names = std::move(names);
        s_loaded = true;
    }
    return s_names.value(spn);
}

QString SpnNames::translatedName(quint32 spn)
{
    return DescriptionText::translated(name(spn));
}

void SpnNames::reset()
{
    std::lock_guard locker(s_mutex);
    s_names.clear();
    s_loaded = false;
}
