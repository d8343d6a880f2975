#include "can/tooladdress.h"
#include "diagnostics/addressclaimfunction.h"
#include "diagnostics/offboarddiagnosticdevice.h"
#include "diagnostics/toolrequest.h"
#include "model/devicedispatcher.h"
#include "support/testcanhandler.h"
#include "support/testenvironment.h"

#include <QtTest>

#include <iterator>
#include <memory>

namespace {

using Field = AddressClaimFunction::Index;

CanMessage claimOf(quint64 name, quint8 source)
{
    return AddressClaimFunction::claimFrame(name, source);
}

CanMessage requestForClaim(quint8 source, quint8 destination)
{
    return ToolRequest::frame(0xEE00, destination, source);
}

// The sources of the address claims written, in order ("f9, fa").
QString claimSources(const QVector<CanMessage> &written)
{
    QStringList out;
    for (const CanMessage &m : written) {
        if (m.pduFormat() == J1939Device::PfAddressClaim)
            out << QString::number(m.address(), 16);
    }
    return out.join(QStringLiteral(", "));
}

// A unit claiming one or more addresses, its NAME against the tool's.
struct Contention
{
    enum Priority { Higher, Lower, Same };
    Priority priority;         // the contender's, against the tool's
    QVector<quint8> claims;    // the addresses it claims, one after another
    quint8 toolAddress;        // where the tool ends
    const char *claimsWritten; // claimSources() of what the tool wrote
    const char *text;          // what the tool says, in part
};

} // namespace

Q_DECLARE_METATYPE(Contention)

// The tool's own node on the bus: it claims its address with its NAME (J1939-81), answers
// requests for the claim, gives way to a NAME of higher priority and moves within the tools'
// range, and never sends from an address it lost.
class tst_ToolNode : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::init(); }
    void init();
    void cleanup();
    void claimsOnJoining();
    void answersRequestForClaim_data();
    void answersRequestForClaim();
    void contention_data();
    void contention();
    void eachBusHasItsOwnAddress();

private:
    void hear(const CanMessage &frame);

    TestCanHandler *m_handler = nullptr;
    DeviceDispatcher *m_dispatcher = nullptr;
    OffBoardDiagnosticDevice *m_tool = nullptr;
    std::unique_ptr<QSignalSpy> m_claimChanges; // of the tool, from before it joined
};

void tst_ToolNode::init()
{
    m_handler = new TestCanHandler(nullptr, this);
    QVERIFY(m_handler->start());
    m_dispatcher = new DeviceDispatcher;
    m_handler->setDispatcher(m_dispatcher);
    m_tool = new OffBoardDiagnosticDevice;
    m_claimChanges = std::make_unique<QSignalSpy>(m_tool, &OffBoardDiagnosticDevice::claimChanged);
    // Every test starts from the tool unit registered and its first claim written.
    m_dispatcher->registerDisplayable(m_tool);
    QTRY_COMPARE_WITH_TIMEOUT(claimSources(m_handler->writtenFrames()), QStringLiteral("f9"), 2000);
}

void tst_ToolNode::cleanup()
{
    m_claimChanges.reset();
    m_dispatcher->clearScheme();
    delete m_dispatcher;
    delete m_handler;
}

void tst_ToolNode::hear(const CanMessage &frame)
{
    DispatchResult r(DispatchResult::Received, 0);
    m_dispatcher->dispatchMessage(frame, &r);
}

void tst_ToolNode::claimsOnJoining()
{
    const CanMessage claim = m_handler->writtenFrames().constFirst();
    QCOMPARE(claim.pduSpecific(), quint8(CanMessage::GlobalAddress));
    QCOMPARE(claim.length, quint8(8));
    const quint64 name = AddressClaimFunction::nameFromPayload(claim.data);
    QCOMPARE(name, m_dispatcher->toolAddress().name());
    // An off-board diagnostic-service tool of the global industry group that can take any
    // address.
    QCOMPARE(AddressClaimFunction::field(name, Field::Function), 129u);
    QCOMPARE(AddressClaimFunction::field(name, Field::IndustryGroup), 0u);
    QCOMPARE(AddressClaimFunction::field(name, Field::ArbitraryAddressCapable), 1u);
    QCOMPARE(m_tool->claimText(), QStringLiteral("Address 0xf9 claimed"));
    // Installations differ by their identity number.
    m_dispatcher->toolAddress().setIdentityNumber(0x12345);
    QCOMPARE(AddressClaimFunction::field(m_dispatcher->toolAddress().name(), Field::IdentityNumber),
             0x12345u);
}

void tst_ToolNode::answersRequestForClaim_data()
{
    QTest::addColumn<quint8>("source");
    QTest::addColumn<quint8>("destination");
    QTest::addColumn<bool>("answered");
    QTest::newRow("to everyone") << quint8(0x00) << quint8(0xFF) << true;
    QTest::newRow("to the tool") << quint8(0x4A) << quint8(0xF9) << true;
    QTest::newRow("from the null address") << quint8(0xFE) << quint8(0xFF) << true;
    QTest::newRow("to another unit") << quint8(0x00) << quint8(0x33) << false;
}

void tst_ToolNode::answersRequestForClaim()
{
    QFETCH(quint8, source);
    QFETCH(quint8, destination);
    QFETCH(bool, answered);
    hear(requestForClaim(source, destination));
    QCOMPARE(claimSources(m_handler->writtenFrames()),
             answered ? QStringLiteral("f9, f9") : QStringLiteral("f9"));
}

void tst_ToolNode::contention_data()
{
    QTest::addColumn<Contention>("row");
    const Contention rows[] = {
        {Contention::Lower, {}, 0xF9, "f9", "Address 0xf9 claimed"},
        {Contention::Higher,
         {0xF9},
         0xFA,
         "f9, fa",
         "Address 0xf9 lost to a unit of higher priority"},
        {Contention::Lower, {0xF9}, 0xF9, "f9, f9", "Address 0xf9 claimed"},
        {Contention::Same, {0xF9}, 0xF9, "f9", "Address 0xf9 claimed"},
        {Contention::Higher, {0xF9, 0xFA}, 0xFA, "f9, fa, fe", "cannot claim address"},
        // Another unit at an address the tool does not hold is none of its business.
        {Contention::Higher, {0xFA}, 0xF9, "f9", "Address 0xf9 claimed"},
    };
    const char *const names[] = {
        "nobody contends",
        "a NAME of higher priority takes 0xf9: the tool moves to 0xfa",
        "a NAME of lower priority: the tool defends 0xf9",
        "its own claim heard back: nothing",
        "both tool addresses taken: cannot claim, from the null address",
        "a claim of 0xfa while the tool holds 0xf9",
    };
    for (int i = 0; i < int(std::size(rows)); ++i)
        QTest::newRow(names[i]) << rows[i];
}

void tst_ToolNode::contention()
{
    QFETCH(Contention, row);
    const QSignalSpy &changes = *m_claimChanges;
    const ToolAddress &tool = m_dispatcher->toolAddress();
    const quint64 ours = tool.name();
    // A NAME without the arbitrary-address bit is numerically lower: higher priority.
    const quint64 theirs = row.priority == Contention::Higher  ? 0x0000123400A5F00Dull
                           : row.priority == Contention::Lower ? ours + 1
                                                               : ours;
    QSet<quint8> lost;
    for (quint8 address : qAsConst(row.claims)) {
        const bool holds = m_tool->address().value == address;
        hear(claimOf(theirs, address));
        if (holds && row.priority == Contention::Higher)
            lost << address;
    }
    QCOMPARE(claimSources(m_handler->writtenFrames()), QString::fromLatin1(row.claimsWritten));
    QCOMPARE(quint8(m_tool->address().value), row.toolAddress);
    QVERIFY2(m_tool->claimText().contains(QLatin1String(row.text)),
             qPrintable(m_tool->claimText()));
    // Says so: one change for the claim, one for each loss.
    QCOMPARE(changes.count(), 1 + lost.size());
    if (!lost.isEmpty())
        QCOMPARE(changes.last().at(1).toBool(), true);

    // Requests go from the address the tool holds, and never from one it lost.
    const int before = m_handler->writtenFrames().size();
    CanMessage request = ToolRequest::frame(0xFECA, 0x00, tool.current());
    m_tool->sendMessage(request);
    for (quint8 address : qAsConst(lost))
        QVERIFY(!tool.maySend(ToolRequest::frame(0xFECA, 0x00, address)));
    const QVector<CanMessage> after = m_handler->writtenFrames().mid(before);
    if (tool.canSend()) {
        QCOMPARE(after.size(), 1);
        QCOMPARE(after.first().address(), row.toolAddress);
    } else {
        QVERIFY(after.isEmpty());
    }
    // Asked for its claim without an address, it answers from the null address.
    hear(requestForClaim(0x00, 0xFF));
    const QVector<CanMessage> answer = m_handler->writtenFrames().mid(before + after.size());
    QCOMPARE(answer.size(), 1);
    QCOMPARE(answer.first().address(), tool.canSend() ? row.toolAddress : quint8(0xFE));
}

void tst_ToolNode::eachBusHasItsOwnAddress()
{
    // A second bus with a tool unit of its own: losing 0xf9 on one bus moves only that tool.
    TestCanHandler other;
    QVERIFY(other.start());
    OffBoardDiagnosticDevice otherTool;
    other.adopt(&otherTool);
    QTRY_COMPARE(claimSources(other.writtenFrames()), QStringLiteral("f9"));
    hear(claimOf(0x0000123400A5F00Dull, 0xF9));
    QCOMPARE(quint8(m_tool->address().value), quint8(0xFA));
    QCOMPARE(quint8(otherTool.address().value), quint8(0xF9));
    QVERIFY(!m_dispatcher->toolAddress().maySend(ToolRequest::frame(0xFECA, 0x00, 0xF9)));
    QVERIFY(other.bus()->toolAddress().maySend(ToolRequest::frame(0xFECA, 0x00, 0xF9)));
}

QTEST_MAIN(tst_ToolNode)
#include "tst_toolnode.moc"
