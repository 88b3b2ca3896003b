// AutoLISP in the host process: a program of the shape MIRTEX writes creates
// its texts through the host's objects; hostile files end in an error line
// while the host keeps answering the bus.
#include "tests/support/QtTestSupport.h"
#include "../e2e/CadHostProcess.h"
#include "output/CodePage.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

namespace {

const QString kHost = QStringLiteral(MIRTEX_BIN_DIR "/cadhost");
const QString kAutomation = QStringLiteral("org.mirtex.Automation");

// The program MIRTEX writes: the fixed definition of FAST_TEXT and its call.
QStringList fastTextProgram(int textAci, const QStringList& dataLines)
{
    QStringList lines{
        "(defun c:FAST_TEXT (lst / doc ms layers item obj minp maxp strw txw insPt layobj aci)",
        "  (setq doc (vla-get-activedocument (vlax-get-acad-object)))",
        "  (setq ms (vla-get-modelspace doc))",
        "  (setq layers (vla-get-layers doc))",
        "  (setq layerObj (vla-add layers \"MIRTEX\"))",
        QString("  (vla-put-color layerObj %1)").arg(textAci),
        "  (foreach item lst",
        "    (setq aci (nth 6 item))",
        "    (setq insPt (vlax-3d-point (list (nth 0 item) (nth 1 item) 0)))",
        "    (setq obj (vla-addtext ms (nth 2 item) insPt (nth 3 item)))",
        "    (vla-put-layer obj \"MIRTEX\")",
        "    (if (< aci 256)(vla-put-color obj aci))",
        "    (vla-put-rotation obj (nth 5 item))",
        "    (vla-put-alignment obj 9)",
        "    (vla-put-textalignmentpoint obj insPt)",
        "    (vla-put-insertionpoint obj insPt)",
        "    (vla-getboundingbox obj 'minp 'maxp)",
        "    (setq strw (- (car (vlax-safearray->list maxp)) (car (vlax-safearray->list minp))))",
        "    (if (> strw 0.0)",
        "      (progn",
        "        (setq txw (/ (nth 4 item) strw))",
        "        (setq txw (/ (fix (* txw 100.0)) 100.0))",
        "        (if (> txw 1.0)(setq txw 1.0))",
        "        (vla-put-scalefactor obj txw)",
        "      )",
        "    )",
        "  )",
        "  (princ)",
        ")",
        "(c:FAST_TEXT '(",
    };
    return lines + dataLines + QStringList{"))"};
}

class LispHost : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testApplication<QCoreApplication>(); }
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(m_host.start(kHost, QStringLiteral("MirtexLisp.Host%1").arg(++s_counter))) << m_host.error().toStdString();
    }

    QDBusMessage call(const QString& path, const QString& kind, const QVariantList& args)
    {
        QDBusMessage m = QDBusMessage::createMethodCall(m_host.busName(), path, kAutomation, kind);
        m.setAutoStartService(false);
        m.setArguments(args);
        return QDBusConnection::sessionBus().call(m, QDBus::Block, 10000);
    }
    void sendCommand(const QString& text)
    {
        const QDBusMessage r = call("/Documents/1", "Invoke",
                                    {QStringLiteral("SendCommand"), QVariantList{QVariant::fromValue(QDBusVariant(text))}});
        ASSERT_EQ(r.type(), QDBusMessage::ReplyMessage) << r.errorMessage().toStdString();
    }
    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    // Command-log lines after the first `skip`, once one of them starts with `prefix`.
    QStringList waitForLine(qsizetype skip, const QString& prefix, int timeoutMs = 30000)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeoutMs) {
            const QStringList lines = m_host.commandLog().split('\n').mid(skip);
            for (const QString& l : lines)
                if (l.startsWith(prefix)) return lines;
            QThread::msleep(50);
        }
        return m_host.commandLog().split('\n').mid(skip);
    }
    qsizetype logSize() { return m_host.commandLog().split('\n').size(); }

    static int s_counter;
    QTemporaryDir m_dir;
    CadHostProcess m_host;
};
int LispHost::s_counter = 0;

struct Row {
    double x, y;
    QString text, escaped;
    double height, width, rotation;
    int aci;
};

}  // namespace

TEST_F(LispHost, GeneratedProgramCreatesTheTextsAndUndoesAsOneStep)
{
    const QList<Row> rows{
        {10, 20, "平面図 S=1/100", "平面図 S=1/100", 3.5, 200.0, 0.0, 256},  // wide enough: factor capped at 1.0
        {10, 40, "W900×H2100", "W900×H2100", 2.5, 10.0, 0.0, 1},  // narrow: factor below 1, own colour
        {50, 5, "a\"b\\c", "a\\\"b\\\\c", 2.0, 3.0, 1.571, 256},  // rotated; a quote and a backslash
    };
    QStringList data;
    for (const Row& r : rows)
        data << QString("(%1 %2 \"%3\" %4 %5 %6 %7)").arg(r.x).arg(r.y).arg(r.escaped).arg(r.height).arg(r.width)
                    .arg(QString::number(r.rotation, 'f', 3)).arg(r.aci);
    const QString path = writeFile("MIRTEX.lsp", toCp932(fastTextProgram(30, data).join("\r\n") + "\r\n"));

    const qsizetype before = logSize();
    sendCommand("(load \"" + path + "\")(princ)\r");
    ASSERT_TRUE(waitUntil([&] { return m_host.entities().size() == rows.size(); }, 20000)) << m_host.commandLog().toStdString();
    const QStringList log = m_host.commandLog().split('\n').mid(before);
    for (const QString& l : log) EXPECT_FALSE(l.startsWith("; error")) << l.toStdString();

    const QList<QJsonObject> texts = m_host.entities();
    for (int i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        const Row& r = rows[i];
        const QJsonObject& t = texts[i];
        EXPECT_EQ(t["text"].toString(), r.text);
        EXPECT_EQ(t["layer"].toString(), "MIRTEX");
        EXPECT_EQ(t["colour"].toInt(), r.aci);
        EXPECT_DOUBLE_EQ(t["height"].toDouble(), r.height);
        EXPECT_DOUBLE_EQ(t["rotation"].toDouble(), r.rotation);
        EXPECT_EQ(t["alignment"].toInt(), 9);
        EXPECT_EQ(t["alignmentPoint"].toArray(), (QJsonArray{r.x, r.y, 0.0}));
        EXPECT_EQ(t["insertion"].toArray(), (QJsonArray{r.x, r.y, 0.0}));

        // The factor is width ÷ the box's X extent before it was set, cut to two decimals, at most 1.
        const double factor = t["widthFactor"].toDouble();
        const QDBusMessage box = call("/Documents/1/Entities/" + t["handle"].toString(), "Invoke",
                                      {QStringLiteral("GetBoundingBox"), QVariantList{}});
        ASSERT_EQ(box.type(), QDBusMessage::ReplyMessage);
        const QVariantList corners = qdbus_cast<QVariantList>(box.arguments().value(0).value<QDBusArgument>());
        const auto x = [&](int k) {
            QVariant v = corners.value(k);
            if (v.userType() == qMetaTypeId<QDBusVariant>()) v = v.value<QDBusVariant>().variant();
            return qdbus_cast<QList<double>>(v.value<QDBusArgument>()).value(0);
        };
        const double extentNow = x(1) - x(0);
        const double extentBefore = r.rotation == 0 ? extentNow / factor : extentNow;  // upright: the box scales with the factor
        const double exact = r.width / extentBefore;
        if (exact >= 1.0) {
            EXPECT_EQ(factor, 1.0);
        } else {
            EXPECT_NEAR(factor, std::floor(exact * 100) / 100, 0.0100001);
            EXPECT_LE(factor, exact + 1e-9);
        }
    }
    EXPECT_LT(texts[1]["widthFactor"].toDouble(), 1.0);
    QDBusMessage layersCall = QDBusMessage::createMethodCall(m_host.busName(), "/Test", "org.mirtex.CadHostTest", "Layers");
    const QString layers = QDBusConnection::sessionBus().call(layersCall).arguments().value(0).toString();
    EXPECT_TRUE(layers.contains("{\"colour\":30,\"name\":\"MIRTEX\"}")) << layers.toStdString();

    // One "U" takes back everything the load did.
    sendCommand("U\r");
    EXPECT_TRUE(waitUntil([&] { return m_host.entities().isEmpty(); }, 10000));
}

TEST_F(LispHost, HostileFilesEndInAnErrorLineWhileTheHostAnswers)
{
    struct Case {
        const char* name;
        QByteArray content;
        const char* error;
    };
    const Case cases[] = {
        {"unbalanced.lsp", "(defun c:half ()\n  (princ \"a\")\n", "; error: malformed list on input"},
        {"endless-string.lsp", "(princ \"never closed)\n(princ)\n", "; error: malformed string on input"},
        {"recursion.lsp", "(defun deeper (n) (deeper (1+ n)))\n(deeper 0)\n", "; error: internal stack limit reached"},
        {"loop.lsp", "(while t)\n", "; error: too many evaluation steps: the program was stopped"},
        {"huge-string.lsp", "(setq s \"" + QByteArray(10 * 1024 * 1024, 'x') + "\")\n", "; error: string too long on input"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = writeFile(c.name, c.content);
        const qsizetype before = logSize();
        sendCommand("(load \"" + path + "\")(princ)\r");
        const QStringList lines = waitForLine(before, "; error");
        EXPECT_EQ(lines.filter("; error").join('|'), c.error);
    }

    // Escape stops a running program (sending it needs the host to answer while the program runs).
    const QString loop = writeFile("forever.lsp", "(setq n 0)\n(while t (setq n (1+ n)))\n");
    const qsizetype before = logSize();
    sendCommand("(load \"" + loop + "\")\r");
    // The host answers while the program runs: these calls return before it ends.
    ASSERT_TRUE(waitUntil([&] { return m_host.commandLog().contains("コマンド: (load \"" + loop); }, 5000));
    for (int k = 0; k < 3; ++k) {
        m_host.commandLog();
        QThread::msleep(20);
    }
    sendCommand(QString(QChar(0x1b)));
    EXPECT_EQ(waitForLine(before, "; error", 5000).filter("; error").join('|'), "; error: Function cancelled");

    // A missing file, and the host still evaluates afterwards.
    const qsizetype later = logSize();
    sendCommand("(load \"" + m_dir.filePath("missing.lsp") + "\")\r(+ 1 2)\r");
    const QStringList lines = waitForLine(later, "3");
    EXPECT_EQ(lines.filter("; error").join('|'), "; error: LOAD failed: \"" + m_dir.filePath("missing.lsp") + "\"");
    EXPECT_TRUE(lines.contains("3"));
}
