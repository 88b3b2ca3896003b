// The client against a small automation service of the test's own on the
// private session bus, served from a second connection in its own thread.
#include "tests/support/QtTestSupport.h"
#include "cad/CadConnection.h"
#include "cad/CadObject.h"
#include "cad/MessageFilter.h"
#include "platform/ProgIdBusName.h"
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>
#include <atomic>

namespace {

const QString kProgId = QStringLiteral("MirtexClientTest.Echo%1").arg(QCoreApplication::applicationPid());

// Get: "Origin" → ad, "Document" → o, "HWND" → t, "Count" → i, "Stored" → what
// Put last stored. Invoke echoes its arguments. Every call of member "Busy"
// first fails with RetryLater until busyLeft reaches 0.
class EchoObject : public QDBusVirtualObject {
public:
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& m, const QDBusConnection& connection) override
    {
        const QString member = m.arguments().value(0).toString();
        if (member == QLatin1String("Busy") && busyLeft.fetch_sub(1) > 0) {
            connection.send(m.createErrorReply(QStringLiteral("org.mirtex.Automation.Error.RetryLater"), "busy"));
            return true;
        }
        if (m.member() == QLatin1String("Put")) {
            stored = m.arguments().value(1).value<QDBusVariant>().variant();
            connection.send(m.createReply());
        } else if (m.member() == QLatin1String("Invoke")) {
            connection.send(m.createReply(QVariantList{m.arguments().value(1)}));
        } else {
            connection.send(m.createReply(QVariant::fromValue(QDBusVariant(value(member)))));
        }
        return true;
    }
    QVariant value(const QString& member) const
    {
        if (member == QLatin1String("Origin"))
            return QVariant::fromValue(QList<double>{1.5, -2.0, 0.25});
        if (member == QLatin1String("Document"))
            return QVariant::fromValue(QDBusObjectPath("/Documents/1"));
        if (member == QLatin1String("HWND"))
            return QVariant::fromValue(qulonglong(0x1234567890ULL));
        if (member == QLatin1String("Stored"))
            return stored;
        return 7;
    }
    QVariant stored;
    std::atomic<int> busyLeft{0};
};

class EchoService : public QThread {
public:
    void run() override
    {
        QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("echo"));
        EchoObject object;
        self = &object;
        bus.registerVirtualObject(QStringLiteral("/"), &object, QDBusConnection::SubPath);
        ready = bus.registerService(progIdToBusName(kProgId));
        started = true;
        exec();
        bus.unregisterService(progIdToBusName(kProgId));
        QDBusConnection::disconnectFromBus(QStringLiteral("echo"));
    }
    std::atomic<bool> started{false}, ready{false};
    EchoObject* self = nullptr;
};

class CadObjectBusTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        testApplication<QCoreApplication>();
        s_service = new EchoService;
        s_service->start();
        while (!s_service->started)
            QThread::msleep(5);
    }
    static void TearDownTestSuite()
    {
        s_service->quit();
        s_service->wait();
        delete s_service;
    }
    void SetUp() override
    {
        ASSERT_TRUE(s_service->ready) << "could not own the test's bus name";
        ASSERT_TRUE(connectCad(kProgId, m_app, false));
    }
    void TearDown() override { registerMessageFilter(nullptr); }

    static EchoService* s_service;
    CadObject m_app;
};
EchoService* CadObjectBusTest::s_service = nullptr;

TEST_F(CadObjectBusTest, ValuesComeBackPlain)
{
    EXPECT_EQ(m_app.service(), progIdToBusName(kProgId));
    EXPECT_EQ(m_app.path(), QStringLiteral("/Application"));
    EXPECT_EQ(toPoint(m_app.get("Origin")), (QList<double>{1.5, -2.0, 0.25}));
    EXPECT_EQ(m_app.get("HWND").toULongLong(), 0x1234567890ULL);
    EXPECT_EQ(m_app.get("Count").toInt(), 7);
    const CadObject document = m_app.getObject("Document");
    EXPECT_EQ(document.path(), QStringLiteral("/Documents/1"));
    EXPECT_EQ(document.service(), m_app.service());
    EXPECT_THROW(m_app.getObject("Count"), CadError);
}

TEST_F(CadObjectBusTest, PutAndInvokeRoundTripEveryKindOfValue)
{
    const QVariant values[] = {QVariant(42), QVariant(2.5), QVariant(QStringLiteral("ＭＩＲＴＥＸ 文字")),
                               QVariant(true), point(10, 20, 0)};
    for (const QVariant& v : values) {
        m_app.put("Value", v);
        const QVariant back = m_app.get("Stored");
        if (v.metaType() == QMetaType::fromType<QList<double>>())
            EXPECT_EQ(toPoint(back), (QList<double>{10, 20, 0}));
        else
            EXPECT_EQ(back, v) << v.typeName();
    }
    const QVariantList results = m_app.invoke("Echo", {QStringLiteral("text"), point(1, 2, 3), 2.5, 9});
    ASSERT_EQ(results.size(), 4);
    EXPECT_EQ(results[0].toString(), QStringLiteral("text"));
    EXPECT_EQ(toPoint(results[1]), (QList<double>{1, 2, 3}));
    EXPECT_EQ(results[2].toDouble(), 2.5);
    EXPECT_EQ(results[3].toInt(), 9);
    EXPECT_TRUE(m_app.invoke("Echo").isEmpty());
}

TEST_F(CadObjectBusTest, BusyCallsAreRetriedThroughTheRegisteredFilter)
{
    const auto filter = std::make_shared<TMessageFilter>();
    filter->RegisterFilter();
    s_service->self->busyLeft = 2;
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(m_app.get("Busy").toInt(), 7);
    EXPECT_GE(clock.elapsed(), 2000);
    filter->RevokeFilter();

    s_service->self->busyLeft = 1;
    try {
        m_app.get("Busy");
        ADD_FAILURE() << "a busy call without a filter succeeded";
    } catch (const CadError& e) {
        EXPECT_EQ(e.name(), QString::fromLatin1(CadErrorName::CallRejected));
    }
}

TEST(CadClientWithoutCad, NoCadRunningFailsFastAndSilently)
{
    const QString progIds[] = {QStringLiteral("MirtexClientTest.Nobody%1").arg(QCoreApplication::applicationPid()),
                               QStringLiteral("9 no.such$.cad"), QString()};
    for (const QString& progId : progIds) {
        CadObject app(QStringLiteral("keep"), QStringLiteral("/Keep"));
        QElapsedTimer clock;
        clock.start();
        EXPECT_FALSE(connectCad(progId, app, true)) << progId.toStdString();
        EXPECT_FALSE(connectCad(progId, app, false)) << progId.toStdString();
        EXPECT_LT(clock.elapsed(), 1000);
        EXPECT_EQ(app.path(), QStringLiteral("/Keep"));
    }
}

TEST(CadClientWithoutCad, CallsToAnUnownedNameFailWithTheBusError)
{
    const CadObject nobody(progIdToBusName(QStringLiteral("MirtexClientTest.Gone")), QStringLiteral("/Application"));
    QElapsedTimer clock;
    clock.start();
    try {
        nobody.get(QStringLiteral("HWND"));
        ADD_FAILURE() << "no error";
    } catch (const CadError& e) {
        const QStringList busAnswers{QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown"),
                                     QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner")};
        EXPECT_TRUE(busAnswers.contains(e.name())) << e.what();
    }
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_THROW(CadObject().get(QStringLiteral("HWND")), CadError);
}

} // namespace
