#include "descriptions/unitregistry.h"

#include <QHash>

#include <algorithm>
#include <mutex>

namespace {

struct UnitTest
{
    DeviceFactoryEntry::TestCreator create;
    QString scheme;
};

std::mutex s_mutex;

QList<DeviceFactoryEntry> &registeredUnits()
{
    static QList<DeviceFactoryEntry> list;
    return list;
}

QHash<QByteArray, UnitTest> &registeredTests()
{
    static QHash<QByteArray, UnitTest> tests;
    return tests;
}

} // namespace

void UnitRegistry::registerUnit(const DeviceFactoryEntry &entry)
{
    std::lock_guard locker(s_mutex);
    for (DeviceFactoryEntry &existing : registeredUnits()) {
        if (existing.key == entry.key) {
            existing = entry;
            return;
        }
    }
    registeredUnits().append(entry);
}

void UnitRegistry::registerTest(const QByteArray &key,
                                const DeviceFactoryEntry::TestCreator &create,
                                const QString &scheme)
{
    std::lock_guard locker(s_mutex);
    registeredTests().insert(key, {create, scheme});
}

QList<DeviceFactoryEntry> UnitRegistry::units()
{
    QList<DeviceFactoryEntry> units;
    {
        std::lock_guard locker(s_mutex);
        units = registeredUnits();
        for (DeviceFactoryEntry &unit : units) {
            const auto test = registeredTests().constFind(unit.key);
            if (test == registeredTests().cend())
                continue;
            unit.createTest = test->create;
            unit.testScheme = test->scheme;
        }
    }
    std::stable_sort(units.begin(), units.end(),
                     [](const DeviceFactoryEntry &a, const DeviceFactoryEntry &b) {
                         return a.address.value < b.address.value;
                     });
    return units;
}
