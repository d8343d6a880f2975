// Arbitrary bytes as a scheme file: loaded into a scheme with the built-in catalogue, every
// item's editor is built (the <widget> layouts of embedded descriptions), the panel of every
// <tab> is built and refreshed, the scheme is saved back into a document, and cleared (which
// closes the panels' editors and greys their lamps). The bus check is built on the scheme's
// expectations and fed the same bytes as frames. No crash, hang or leak.
#include "app/builtins.h"
#include "app/resources.h"
#include "buscheck/buschecker.h"
#include "can/canmessage.h"
#include "descriptions/candevicefactory.h"
#include "descriptions/descriptionfiles.h"
#include "descriptions/itemscript.h"
#include "model/devicedispatcher.h"
#include "scheme/abstractschemetreeitem.h"
#include "scheme/editors/multixmlitemwidget.h"
#include "scheme/schemecontroller.h"
#include "scheme/schemetreemodel.h"

#include <QApplication>
#include <QDomDocument>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

namespace {

struct Environment
{
    std::unique_ptr<QApplication> app;
    std::unique_ptr<CanDeviceFactory> catalogue;
    std::unique_ptr<DeviceDispatcher> dispatcher;
    std::unique_ptr<SchemeTreeModel> model;
    std::unique_ptr<SchemeController> controller;
};

Environment &environment()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    // Never destroyed: the application's platform objects stay reachable until exit.
    static Environment *env = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
        auto *e = new Environment;
        e->app = std::make_unique<QApplication>(argc, argv);
        initTarvikResources();
        ItemScript::setTimeLimitMs(20);
        registerBuiltIns();
        e->catalogue = CanDeviceFactory::create();
        e->dispatcher = std::make_unique<DeviceDispatcher>();
        e->dispatcher->setCatalogue(e->catalogue.get());
        e->model = std::make_unique<SchemeTreeModel>();
        e->controller = std::make_unique<SchemeController>(e->model.get(), nullptr);
        e->controller->setDispatcher(e->dispatcher.get());
        return e;
    }();
    return *env;
}

void buildEditors(AbstractSchemeTreeItem *node)
{
    delete node->createWidget();
    for (AbstractSchemeTreeItem *child : node->childNodes())
        buildEditors(child);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Environment &env = environment();
    const QByteArray content(reinterpret_cast<const char *>(data), int(size));
    env.controller->load(content, QStringLiteral("fuzz.tvsx"));
    for (AbstractSchemeTreeItem *node : env.model->topLevelItems())
        buildEditors(node);
    std::vector<std::unique_ptr<MultiXmlItemWidget>> panels;
    const QDomDocument saved = env.controller->toDocument();
    for (QDomElement tab = saved.documentElement().firstChildElement(QStringLiteral("tab"));
         !tab.isNull(); tab = tab.nextSiblingElement(QStringLiteral("tab")))
        panels.push_back(std::make_unique<MultiXmlItemWidget>(tab, env.model.get()));
    env.model->checkForUpdates();
    (void)saved.toByteArray(2);
    // The check on whatever expectations the file held, fed its own bytes as frames.
    BusChecker checker;
    QList<AbstractDisplayableItem *> devices;
    for (AbstractSchemeTreeItem *node : env.model->topLevelItems()) {
        if (node->displayable())
            devices << node->displayable();
    }
    checker.setDevices(devices);
    qint64 timeUs = 0;
    for (size_t i = 0; i + 13 <= size && i < 13 * 512; i += 13) {
        CanMessage m;
        m.extended = true;
        m.id = (quint32(data[i]) << 24 | quint32(data[i + 1]) << 16 | quint32(data[i + 2]) << 8
                | data[i + 3])
               & 0x1FFFFFFF;
        m.length = data[i + 4] % 9;
        for (int k = 0; k < 8; ++k)
            m.data[k] = data[i + 5 + k];
        timeUs += qint64(data[i + 4]) * 1000;
        checker.take(m, timeUs, nullptr);
    }
    checker.finish(timeUs + 1000000);
    env.controller->clearScheme();
    env.model->checkForUpdates();
    return 0;
}
