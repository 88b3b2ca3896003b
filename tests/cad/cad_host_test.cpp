// The client against the reference CAD host process on the private bus.
#include "tests/support/QtTestSupport.h"
#include "../e2e/CadHostProcess.h"
#include "cad/CadConnection.h"
#include "cad/CadObject.h"
#include "cad/MessageFilter.h"
#include "platform/WindowSystem.h"
#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <functional>
#include <thread>

namespace {

// A drawing with the layers "0" and "mirtex" (colour 5).
const char kDxf[] = "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n70\n2\n"
                    "0\nLAYER\n2\n0\n70\n0\n62\n7\n6\nCONTINUOUS\n"
                    "0\nLAYER\n2\nmirtex\n70\n0\n62\n5\n6\nCONTINUOUS\n"
                    "0\nENDTAB\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n0\nENDSEC\n0\nEOF\n";

class CadHostTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        testApplication<QApplication>();
    }
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        const QString dxf = m_dir.filePath("layers.dxf");
        QFile f(dxf);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(kDxf);
        f.close();
        m_progId = QStringLiteral("MirtexHostTest.Cad%1").arg(++s_counter);
        ASSERT_TRUE(m_host.start(QStringLiteral(MIRTEX_BIN_DIR "/cadhost"), m_progId, dxf)) << qPrintable(m_host.error());
        ASSERT_TRUE(connectCad(m_progId, m_app, false));
        m_doc = m_app.getObject(QStringLiteral("ActiveDocument"));
    }
    void TearDown() override
    {
        registerMessageFilter(nullptr);
        m_host.stop();
    }

    QDBusMessage test(const QString& method, const QVariantList& args = {})
    {
        QDBusMessage call = QDBusMessage::createMethodCall(m_host.busName(), "/Test", "org.mirtex.CadHostTest", method);
        call.setAutoStartService(false);
        call.setArguments(args);
        return QDBusConnection::sessionBus().call(call, QDBus::Block, 25000);
    }
    QList<QJsonObject> layers()
    {
        QList<QJsonObject> out;
        for (const QString& line : test("Layers").arguments().value(0).toString().split('\n', Qt::SkipEmptyParts))
            out << QJsonDocument::fromJson(line.toUtf8()).object();
        return out;
    }

    static int s_counter;
    QTemporaryDir m_dir;
    QString m_progId;
    CadHostProcess m_host;
    CadObject m_app, m_doc;
};
int CadHostTest::s_counter = 0;

TEST_F(CadHostTest, ActivateMaximisesAMinimisedCad)
{
    // The window manager acts on a state change in its own time: poll for it.
    m_app.put("WindowState", 2);
    ASSERT_TRUE(waitUntil([&] { return m_app.get("WindowState").toInt() == 2; }, 5000));
    CadObject again;
    ASSERT_TRUE(connectCad(m_progId, again, false));
    QThread::msleep(300);
    EXPECT_EQ(again.get("WindowState").toInt(), 2); // without activate: left alone
    ASSERT_TRUE(connectCad(m_progId, again, true));
    EXPECT_TRUE(waitUntil([&] { return again.get("WindowState").toInt() == 3; }, 5000));
    const quint64 window = topLevelWindow(again.get("HWND").toULongLong());
    EXPECT_TRUE(waitUntil([&] { return foregroundWindow() == window; }, 5000));
}

TEST_F(CadHostTest, EnsureLayerMatchesOnlyAsciiCase)
{
    const int before = int(layers().size());
    const std::tuple<QString, int, int> cases[] = {
        {"MIRTEX", 30, 0},                           // recolours "mirtex"
        {"mirtex", 1, 0},
        {QString::fromUtf8("ＭＩＲＴＥＸ"), 40, 1}, // full-width: a new layer
        {QString::fromUtf8("MIRTÉX"), 50, 1},
        {QString::fromUtf8("mirtéx"), 60, 1},        // é is no ASCII letter: differs from É
    };
    int added = 0;
    for (const auto& [name, aci, adds] : cases) {
        EXPECT_TRUE(ensureLayer(m_doc, name, aci));
        added += adds;
        EXPECT_EQ(layers().size(), before + added) << name.toStdString();
    }
    for (const QJsonObject& layer : layers()) {
        const QString name = layer.value("name").toString();
        if (name == "mirtex")
            EXPECT_EQ(layer.value("colour").toInt(), 1);
    }
}

TEST_F(CadHostTest, BusyCallsAreRetriedEverySecondRejectedOnesFailAtOnce)
{
    const auto filter = std::make_shared<TMessageFilter>();
    filter->RegisterFilter();
    test("FailNextCalls", {3, QStringLiteral("retry")});
    QElapsedTimer clock;
    clock.start();
    EXPECT_GT(m_doc.invoke("GetVariable", {QStringLiteral("VIEWSIZE")}).value(0).toDouble(), 0);
    EXPECT_GE(clock.elapsed(), 3000);

    test("FailNextCalls", {1, QStringLiteral("reject")});
    clock.restart();
    try {
        m_doc.invoke("GetVariable", {QStringLiteral("VIEWSIZE")});
        ADD_FAILURE() << "a rejected call succeeded";
    } catch (const CadError& e) {
        EXPECT_EQ(e.name(), QString::fromLatin1(CadErrorName::CallRejected));
    }
    EXPECT_LT(clock.elapsed(), 500);
    filter->RevokeFilter();
}

TEST_F(CadHostTest, AnEscapeCancelsAPick)
{
    const quint64 main = m_app.get("HWND").toULongLong();
    ASSERT_TRUE(bringToFront(main));
    std::thread escape([] {
        QThread::msleep(500);
        injectEscape();
    });
    try {
        m_doc.getObject("Utility").invoke("GetPoint", {QStringLiteral("pick: ")});
        ADD_FAILURE() << "the pick was not cancelled";
    } catch (const CadError& e) {
        EXPECT_EQ(e.name(), QString::fromLatin1(CadErrorName::Cancelled));
    }
    escape.join();
}

TEST_F(CadHostTest, AHostKilledDuringAPickEndsTheCall)
{
    std::thread killer([this] {
        QThread::msleep(500);
        m_host.stop();
    });
    QElapsedTimer clock;
    clock.start();
    EXPECT_THROW(m_doc.getObject("Utility").invoke("GetPoint", {QStringLiteral("pick: ")}), CadError);
    EXPECT_LT(clock.elapsed(), 6000);
    killer.join();
    CadObject gone;
    EXPECT_FALSE(connectCad(m_progId, gone, false));
}

} // namespace
