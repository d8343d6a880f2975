// Arbitrary text as a <func> or <device> description for the item constructors; a few frames
// are then dispatched into what was built and it transmits once. No crash, hang or leak.
#include "can/canmessage.h"
#include "can/dispatchresult.h"
#include "descriptions/descriptionfiles.h"
#include "descriptions/itemscript.h"
#include "descriptions/xmlj1939device.h"
#include "descriptions/xmlsiddevice.h"
#include "descriptions/xmlstaticpgnj1939devicefunction.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstring>

namespace {

QCoreApplication *app()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication *instance = [] {
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
        auto *a = new QCoreApplication(argc, argv);
        // An empty function library keeps device construction cheap; runaway scripts stop fast.
        static QTemporaryDir dir;
        QDir(dir.path()).mkdir(QStringLiteral("funcs"));
        QDir(dir.path()).mkdir(QStringLiteral("devices"));
        DescriptionFiles::setBaseDirectory(dir.path());
        ItemScript::setTimeLimitMs(20);
        return a;
    }();
    return instance;
}

void exercise(AbstractDisplayableItem &item, const uint8_t *data, size_t size)
{
    for (int i = 0; i < 3; ++i) {
        quint8 payload[8] = {0, 0, 0, 0, 0, 0, 0, 0};
        std::memcpy(payload, data + std::min<size_t>(size, size_t(i) * 8),
                    std::min<size_t>(8, size - std::min<size_t>(size, size_t(i) * 8)));
        CanMessage m(0x18FF1000u + quint32(i), payload, 8);
        DispatchResult r;
        item.dispatchMessageImpl(m, &r);
        (void)item.textDataImpl();
    }
    item.transmitState();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    app();
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), int(size));
    {
        XmlStaticPgnJ1939DeviceFunction function(text, nullptr);
        exercise(function, data, size);
    }
    {
        XmlSidDevice sid(text);
        exercise(sid, data, size);
    }
    {
        XmlJ1939Device device(text);
        exercise(device, data, size);
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
