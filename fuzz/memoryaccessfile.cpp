// Arbitrary bytes as a memory access file: loaded into a memory access function, its "MA Data"
// window built offscreen, the table saved and the saved form loaded again, which must succeed
// and save identically. No crash, hang or leak.
#include "diagnostics/editors/memoryaccessdock.h"
#include "diagnostics/memoryaccessfile.h"
#include "diagnostics/memoryaccessfunction.h"

#include <QApplication>

#include <cstdlib>
#include <memory>

namespace {

QApplication &application()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    // Never destroyed: the application's platform objects stay reachable until exit.
    static QApplication *app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
        return new QApplication(argc, argv);
    }();
    return *app;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    application();
    const QByteArray content(reinterpret_cast<const char *>(data), int(size));
    MemoryAccessFunction function;
    if (!function.loadFromData(content))
        return 0;
    {
        MemoryAccessDock dock(&function);
        (void)dock.cellOf(0);
    }
    const QByteArray saved = function.fileData();
    MemoryAccessTable again;
    if (!MemoryAccessFile::parse(saved, &again, nullptr))
        std::abort(); // what was saved must load
    if (MemoryAccessFile::write(again) != saved)
        std::abort(); // and save the same
    return 0;
}
