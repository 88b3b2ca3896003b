// The host process on the private bus, spoken to with plain QtDBus messages:
// malformed calls, ProgIDs, bad drawing files.
#include "tests/support/QtTestSupport.h"
#include "../e2e/CadHostProcess.h"
#include "tests/cadhost/DxfTestFiles.h"
#include "platform/ProgIdBusName.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QFile>
#include <QJsonArray>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

namespace {

const QString kHost = QStringLiteral(MIRTEX_BIN_DIR "/cadhost");
const QString kAutomation = QStringLiteral("org.mirtex.Automation");
const QString kError = QStringLiteral("org.mirtex.Automation.Error.");

class HostProtocol : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        testApplication<QCoreApplication>();
    }
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    static QString progId(const char* what)
    {
        return QStringLiteral("MirtexProtocol.%1%2").arg(QLatin1String(what)).arg(++s_counter);
    }
    static QDBusMessage call(const QString& service, const QString& path, const QString& interface,
                             const QString& method, const QVariantList& args)
    {
        QDBusMessage m = QDBusMessage::createMethodCall(service, path, interface, method);
        m.setAutoStartService(false);
        m.setArguments(args);
        return QDBusConnection::sessionBus().call(m, QDBus::Block, 10000);
    }
    // The host answers a plain, well-formed call.
    static void expectAnswers(const CadHostProcess& host)
    {
        const QDBusMessage r = call(host.busName(), "/Application", kAutomation, "Get", {QStringLiteral("ActiveDocument")});
        ASSERT_EQ(r.type(), QDBusMessage::ReplyMessage) << r.errorMessage().toStdString();
        EXPECT_EQ(r.arguments().value(0).value<QDBusVariant>().variant().value<QDBusObjectPath>().path(), "/Documents/1");
    }
    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return path;
    }

    static int s_counter;
    QTemporaryDir m_dir;
};
int HostProtocol::s_counter = 0;

QVariant variant(const QVariant& v) { return QVariant::fromValue(QDBusVariant(v)); }
QVariant av(const QVariantList& items)
{
    QVariantList wrapped;
    for (const QVariant& v : items) wrapped << variant(v);
    return wrapped;
}
QVariant point(double x, double y, double z) { return QVariant::fromValue(QList<double>{x, y, z}); }

}  // namespace

TEST_F(HostProtocol, MalformedCallsGetTheirErrorAndTheHostCarriesOn)
{
    CadHostProcess host;
    ASSERT_TRUE(host.start(kHost, progId("Errors"))) << host.error().toStdString();
    struct Case {
        const char* what;
        QString path, interface, method;
        QVariantList args;
        QString error;
    };
    const QString doc = "/Documents/1";
    const QString bad = kError + "BadArgument", unknown = kError + "UnknownMember";
    const Case cases[] = {
        {"Get without a member", "/Application", kAutomation, "Get", {}, bad},
        {"member name as a number", "/Application", kAutomation, "Get", {7}, bad},
        {"Get with a value", "/Application", kAutomation, "Get", {QStringLiteral("HWND"), variant(1)}, bad},
        {"Put without a value", "/Application", kAutomation, "Put", {QStringLiteral("WindowState")}, bad},
        {"Put of a text as window state", "/Application", kAutomation, "Put",
         {QStringLiteral("WindowState"), variant(QStringLiteral("big"))}, bad},
        {"window state out of range", "/Application", kAutomation, "Put", {QStringLiteral("WindowState"), variant(7)}, bad},
        {"Invoke arguments as strings", doc, kAutomation, "Invoke",
         {QStringLiteral("GetVariable"), QStringList{QStringLiteral("VIEWSIZE")}}, bad},
        {"Invoke without arguments", doc, kAutomation, "Invoke", {QStringLiteral("GetVariable")}, bad},
        {"variable name as a number", doc, kAutomation, "Invoke", {QStringLiteral("GetVariable"), av({5})}, bad},
        {"two variable names", doc, kAutomation, "Invoke",
         {QStringLiteral("GetVariable"), av({QStringLiteral("OSMODE"), QStringLiteral("FILEDIA")})}, bad},
        {"unknown variable", doc, kAutomation, "Invoke", {QStringLiteral("GetVariable"), av({QStringLiteral("NOSUCHVAR")})}, bad},
        {"read-only variable", doc, kAutomation, "Invoke",
         {QStringLiteral("SetVariable"), av({QStringLiteral("VIEWSIZE"), 5})}, bad},
        {"osmode as text", doc, kAutomation, "Invoke",
         {QStringLiteral("SetVariable"), av({QStringLiteral("OSMODE"), QStringLiteral("4133")})}, bad},
        {"ZoomCenter without a point", "/Application", kAutomation, "Invoke",
         {QStringLiteral("ZoomCenter"), av({QStringLiteral("here"), 10.0})}, bad},
        {"point of four values", doc + "/ModelSpace", kAutomation, "Invoke",
         {QStringLiteral("AddText"), av({QStringLiteral("A"), QVariant::fromValue(QList<double>{1, 2, 3, 4}), 2.5})}, bad},
        {"text height zero", doc + "/ModelSpace", kAutomation, "Invoke",
         {QStringLiteral("AddText"), av({QStringLiteral("A"), point(1, 2, 0), 0.0})}, bad},
        {"layer index past the end", doc + "/Layers", kAutomation, "Invoke", {QStringLiteral("Item"), av({99})}, bad},
        {"StartUndoMark with an argument", doc, kAutomation, "Invoke", {QStringLiteral("StartUndoMark"), av({1})}, bad},
        {"unknown property", "/Application", kAutomation, "Get", {QStringLiteral("Version")}, unknown},
        {"unknown method", doc, kAutomation, "Invoke", {QStringLiteral("Frobnicate"), av({})}, unknown},
        {"member names are case-sensitive", "/Application", kAutomation, "Get", {QStringLiteral("activedocument")}, unknown},
        {"GetPoint read as a property", doc + "/Utility", kAutomation, "Get", {QStringLiteral("GetPoint")}, unknown},
        {"unknown object path", "/Nowhere", kAutomation, "Get", {QStringLiteral("Name")}, unknown},
        {"second document", "/Documents/2", kAutomation, "Get", {QStringLiteral("ModelSpace")}, unknown},
        {"layer that does not exist", doc + "/Layers/42", kAutomation, "Get", {QStringLiteral("Name")}, unknown},
        {"entity handle that is no number", doc + "/Entities/XYZ", kAutomation, "Get", {QStringLiteral("Layer")}, unknown},
        {"entity that does not exist", doc + "/Entities/FFFFFF", kAutomation, "Get", {QStringLiteral("Layer")},
         kError + "Failed"},
        {"dispatch method other than Get/Put/Invoke", "/Application", kAutomation, "Call", {QStringLiteral("HWND")},
         "org.freedesktop.DBus.Error.UnknownMethod"},
        {"foreign interface", "/Application", "org.example.Other", "Get", {QStringLiteral("HWND")},
         "org.freedesktop.DBus.Error.UnknownInterface"},
        {"unknown test call", "/Test", "org.mirtex.CadHostTest", "Explode", {}, bad},
        {"test call with wrong arguments", "/Test", "org.mirtex.CadHostTest", "OpenDrawing", {42}, bad},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QDBusMessage r = call(host.busName(), c.path, c.interface, c.method, c.args);
        EXPECT_EQ(r.type(), QDBusMessage::ErrorMessage);
        EXPECT_EQ(r.errorName(), c.error) << r.errorMessage().toStdString();
        expectAnswers(host);
    }
    // The refused calls changed nothing.
    EXPECT_TRUE(host.entities().isEmpty());
}

TEST_F(HostProtocol, HostsUnderDifferentProgIdsServeSideBySide)
{
    const QString text = writeFile("one.dxf", "0\nSECTION\n2\nENTITIES\n0\nTEXT\n8\n0\n10\n1\n20\n2\n30\n0\n40\n3\n1\nONE\n"
                                              "0\nENDSEC\n0\nEOF\n");
    CadHostProcess first, second;
    ASSERT_TRUE(first.start(kHost, progId("First"), text)) << first.error().toStdString();
    ASSERT_TRUE(second.start(kHost, progId("Second"))) << second.error().toStdString();
    EXPECT_NE(first.busName(), second.busName());
    expectAnswers(first);
    expectAnswers(second);
    ASSERT_EQ(first.entities().size(), 1);
    EXPECT_EQ(first.entities()[0].value("text").toString(), "ONE");
    EXPECT_TRUE(second.entities().isEmpty());

    // A text added to one drawing is not in the other.
    const QDBusMessage added = call(second.busName(), "/Documents/1/ModelSpace", kAutomation, "Invoke",
                                    {QStringLiteral("AddText"), av({QStringLiteral("TWO"), point(0, 0, 0), 2.5})});
    ASSERT_EQ(added.type(), QDBusMessage::ReplyMessage) << added.errorMessage().toStdString();
    EXPECT_EQ(first.entities().size(), 1);
    EXPECT_EQ(second.entities().size(), 1);
}

TEST_F(HostProtocol, ASecondHostForAServedBusNameSaysSoAndExits)
{
    CadHostProcess running;
    const QString id = QStringLiteral("My CAD$.App%1").arg(++s_counter);
    ASSERT_TRUE(running.start(kHost, id)) << running.error().toStdString();
    QString sameName = id;
    sameName.replace(' ', '_').replace('$', '_');  // maps to the same bus name
    ASSERT_EQ(progIdToBusName(sameName), running.busName());
    for (const QString& again : {id, sameName}) {
        SCOPED_TRACE(again.toStdString());
        QProcess second;
        second.start(kHost, {QStringLiteral("--progid"), again});
        ASSERT_TRUE(second.waitForFinished(20000));
        EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
        EXPECT_NE(second.exitCode(), 0);
        EXPECT_TRUE(QString::fromLocal8Bit(second.readAllStandardError()).contains(running.busName()));
        expectAnswers(running);
    }
}

TEST_F(HostProtocol, AMissingOrBrokenDrawingOpensEmptyWithAMessage)
{
    const QString good = writeFile("good.dxf", "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n0\n20\n0\n30\n0\n"
                                               "11\n5\n21\n5\n31\n0\n0\nENDSEC\n0\nEOF\n");
    const QString files[] = {
        m_dir.filePath("missing.dxf"),
        writeFile("garbage.dxf", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)),
        writeFile("words.dxf", "this is a letter, not a drawing\n"),
        writeFile("truncated.dxf", "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n"),
        writeFile("empty.dxf", ""),
    };
    for (const QString& path : files) {
        SCOPED_TRACE(path.toStdString());
        CadHostProcess host;
        ASSERT_TRUE(host.start(kHost, progId("BadFile"), path)) << host.error().toStdString();
        EXPECT_TRUE(host.commandLog().contains(path));
        EXPECT_TRUE(host.entities().isEmpty());
        expectAnswers(host);

        // The same through the test interface, after a good drawing.
        ASSERT_TRUE(host.openDrawing(good));
        EXPECT_EQ(host.entities().size(), 1);
        const qsizetype logged = host.commandLog().count(path);
        ASSERT_TRUE(host.openDrawing(path));
        EXPECT_TRUE(host.entities().isEmpty());
        EXPECT_EQ(host.commandLog().count(path), logged + 1);
        const QDBusMessage layers = call(host.busName(), "/Documents/1/Layers", kAutomation, "Get", {QStringLiteral("Count")});
        EXPECT_EQ(layers.arguments().value(0).value<QDBusVariant>().variant().toInt(), 1);  // only layer "0"
    }
}

TEST_F(HostProtocol, InsertOfAFileByCommandAddsItsTextsExplodedAndUTakesThemBack)
{
    const QString path = writeFile("temp.dxf", tableFile());
    CadHostProcess host;
    ASSERT_TRUE(host.start(kHost, progId("Insert"))) << host.error().toStdString();
    auto sendCommand = [&](const QString& text) {
        const QDBusMessage r = call(host.busName(), "/Documents/1", kAutomation, "Invoke", {QStringLiteral("SendCommand"), av({text})});
        ASSERT_EQ(r.type(), QDBusMessage::ReplyMessage) << r.errorMessage().toStdString();
    };

    sendCommand("-INSERT \"*" + path + "\"\r0,0 1.0 0.0\r");
    ASSERT_TRUE(waitUntil([&] { return host.entities().size() == 2; }, 10000)) << host.commandLog().toStdString();
    const QList<QJsonObject> texts = host.entities();
    const QJsonObject& plan = texts[0];
    EXPECT_EQ(plan.value("type").toString(), "TEXT");
    EXPECT_EQ(plan.value("text").toString(), "平面図 S=1/100");
    EXPECT_EQ(plan.value("layer").toString(), "MIRTEX");
    EXPECT_EQ(plan.value("colour").toInt(), 256);
    EXPECT_EQ(plan.value("alignment").toInt(), 9);  // middle left
    EXPECT_EQ(plan.value("alignmentPoint").toArray().at(0).toDouble(), 10);
    EXPECT_EQ(plan.value("alignmentPoint").toArray().at(1).toDouble(), 20);
    EXPECT_EQ(plan.value("height").toDouble(), 2);
    EXPECT_EQ(plan.value("widthFactor").toDouble(), 0.8);
    EXPECT_EQ(texts[1].value("text").toString(), "居間?");
    EXPECT_EQ(texts[1].value("colour").toInt(), 1);
    EXPECT_NEAR(texts[1].value("rotation").toDouble(), M_PI / 2, 1e-12);
    EXPECT_TRUE(host.commandLog().contains("回転角度を指定 <0>: 0.0"));

    sendCommand("U\r");
    EXPECT_TRUE(waitUntil([&] { return host.entities().isEmpty(); }, 10000)) << host.commandLog().toStdString();
    expectAnswers(host);
}

TEST_F(HostProtocol, HostileDrawingsNeitherCrashNorFreezeTheHost)
{
    const QList<HostileFile> files = hostileFiles();
    CadHostProcess host;
    ASSERT_TRUE(host.start(kHost, progId("Hostile"), writeFile("first.dxf", files[0].bytes))) << host.error().toStdString();
    for (int i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(files[i].what);
        const QString path = writeFile(QString("hostile%1.dxf").arg(i), files[i].bytes);
        const QString view = m_dir.filePath(QString("view%1.bmp").arg(i));
        if (i > 0) ASSERT_TRUE(host.openDrawing(path));
        expectAnswers(host);
        const qsizetype count = files[i].readable ? 1 : 0;
        EXPECT_EQ(host.entities().size(), count);
        // Inserted once more, then drawn whole into a bitmap: every text laid out and painted.
        const QString commands = "-INSERT \"*" + path + "\"\r10,10 1.0 30\rSETVAR FILEDIA 0\r_BMPOUT \"" + view + "\"\r\r";
        const QDBusMessage sent = call(host.busName(), "/Documents/1", kAutomation, "Invoke", {QStringLiteral("SendCommand"), av({commands})});
        ASSERT_EQ(sent.type(), QDBusMessage::ReplyMessage) << sent.errorMessage().toStdString();
        EXPECT_TRUE(waitUntil([&] { return QFile::exists(view); }, 10000)) << host.commandLog().toStdString();
        expectAnswers(host);
        EXPECT_EQ(host.entities().size(), 2 * count);
        if (!files[i].readable) EXPECT_GE(host.commandLog().count(path), 2);  // on opening and on inserting
    }
}
