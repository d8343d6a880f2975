// Arbitrary bytes as frames of the machine's own units: each record of ten bytes picks a unit's
// message (byte 0), a length (byte 1, 0 to 8) and the payload (bytes 2 to 9). Frames go to the
// controller (with its sensor-bus bridge), the panels, the cabin and support controllers and an
// SAE joystick; bridged frames for unknown sensor addresses create sensors through the bridge's
// factory, as auto-detection does. Every item then encodes its state and text. No crash or leak.
#include "can/canmessage.h"
#include "can/dispatchresult.h"
#include "descriptions/abstractdevicefactory.h"
#include "machine/basicjoystickmessagefunction.h"
#include "machine/cabincontroller.h"
#include "machine/controllerdevice.h"
#include "machine/controlpaneldevice.h"
#include "machine/supportcontroller.h"
#include "machine/supportindicationpanel.h"

#include <QCoreApplication>

#include <memory>
#include <vector>

namespace {

struct Message
{
    quint32 id;
    int device;
};

// Identifier and receiving unit of each message the records may pick.
const Message Messages[] = {
    {0x18FF30A0, 0}, {0x18FF31A0, 0}, {0x18FF34A0, 0}, {0x10FF329D, 1}, {0x10FF339C, 2},
    {0x18FED90A, 3}, {0x18FED980, 4}, {0x0CFDD64A, 5}, {0x0CFDD84A, 5}, {0x0CFDDA4A, 5},
};
constexpr int RecordSize = 10;

void encodeAll(AbstractDisplayableItem *item)
{
    (void)item->textDataImpl();
    item->transmitState(); // no adapter: nothing leaves the process
    for (AbstractDisplayableItem *child : item->children())
        encodeAll(child);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication *app = [] {
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
        return new QCoreApplication(argc, argv);
    }();
    (void)app;
    std::vector<std::unique_ptr<AbstractDisplayableItem>> devices;
    devices.emplace_back(new ControllerDevice);
    devices.emplace_back(new ControlPanelDevice);
    devices.emplace_back(new SupportIndicationPanel);
    devices.emplace_back(new CabinController);
    devices.emplace_back(new SupportController);
    devices.emplace_back(new J1939Device(0x4A));
    for (int n = 1; n <= 3; ++n)
        new BasicJoystickMessageFunction(n, devices.back().get());
    for (size_t at = 0; at + RecordSize <= size; at += RecordSize) {
        const Message &m = Messages[data[at] % (sizeof Messages / sizeof Messages[0])];
        const int length = data[at + 1] % 9;
        CanMessage frame(m.id, data + at + 2, length);
        DispatchResult result(DispatchResult::Received, 0);
        AbstractDisplayableItem *device = devices.at(size_t(m.device)).get();
        if (device->dispatchMessage(frame, &result) || !result.item)
            continue;
        // Left undispatched: the item that saw it is asked for the missing child.
        AbstractDisplayableItem *owner = result.item;
        if (!owner->hasSubFactory())
            continue;
        if (AbstractDisplayableItem *child = owner->subFactory()->createDevice(frame, result))
            owner->registerChild(child);
    }
    for (const auto &device : devices)
        encodeAll(device.get());
    return 0;
}
