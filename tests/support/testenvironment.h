#pragma once

#include <QString>

// Common set-up of every test executable: metatypes, resources and a private settings store.
namespace TestEnvironment {
void init();
// Path of a file under tests/data.
QString dataFile(const QString &name);
} // namespace TestEnvironment
