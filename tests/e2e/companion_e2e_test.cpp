// The companion commands end to end: texts written into a real CAD host by
// the direct road, qvrise.lsp loaded from the table's context menu, QVCOPY
// started from it with a window picked through the test interface, and the
// clipboard it fills (the X11 clipboard, owned by the host) pasted into
// MIRTEX's table with Ctrl+V; QVRISE with a typed height, undone, and
// cancelled by Escape at its selection.
#include "CadHostProcess.h"
#include "tests/support/QtTestSupport.h"
#include "app/AppPaths.h"
#include "app/Application.h"
#include "app/Form102.h"
#include "cad/CadConnection.h"
#include "cad/CadObject.h"
#include "results/CellNumbers.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QMenu>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

MirtexApplication& app() { return testApplication<MirtexApplication>(); }

const QString kSample = QStringLiteral(MIRTEX_SOURCE_DIR "/samples/plan.dxf");

// A 2 x 2 table far from the sample's own lettering, rows 10 units apart.
void fillTable(TForm102& w)
{
    const QStringList texts{QStringLiteral("品名"), QStringLiteral("数量"), QStringLiteral("ALC板"), QStringLiteral("12")};
    w.Grid.setRowCount(int(texts.size()) + 1);
    w.OcrResultLines.clear();
    for (int r = 1; r <= texts.size(); ++r) {
        w.Grid.setCell(1, r, texts[r - 1]);
        w.Grid.setCell(2, r, QStringLiteral("2.500"));
        w.Grid.setCell(3, r, QStringLiteral("0.0"));
        w.Grid.setCell(4, r, formatFixed(20000.0 + ((r - 1) % 2) * 30, 3));
        w.Grid.setCell(5, r, formatFixed(20000.0 - ((r - 1) / 2) * 10, 3));
        w.Grid.setCell(8, r, QStringLiteral("10.00"));
        w.OcrResultLines << QStringLiteral("%1: line").arg(r - 1);
    }
}

QAction* menuItem(TForm102& w, const char* name)
{
    return w.PopupMenu2->findChild<QAction*>(QString::fromLatin1(name));
}

TEST(CompanionE2E, QvcopyFromTheMenuCopiesRoadTextsThatPasteIntoTheTable)
{
    app();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const QString& f : QDir(QStringLiteral(MIRTEX_BIN_DIR)).entryList(QDir::Files))
        QFile::link(QStringLiteral(MIRTEX_BIN_DIR "/") + f, dir.filePath(f));
    ASSERT_TRUE(QFile::exists(dir.filePath(QStringLiteral("qvrise.lsp"))));
    AppPaths::setExecutableForTesting(dir.path());
    QStringList errors;
    MirtexApplication::showError = [&](const QString& text) { errors << text; };

    CadHostProcess host;
    const QString progId = QStringLiteral("MirtexCompanionE2E.%1").arg(QCoreApplication::applicationPid());
    ASSERT_TRUE(host.start(QStringLiteral(MIRTEX_BIN_DIR "/cadhost"), progId, kSample)) << host.error().toStdString();

    auto w = std::make_unique<TForm102>();
    w->TargetProgID = progId;
    w->CheckBox8->setChecked(false);
    w->show();
    app().processEvents();
    fillTable(*w);
    w->Button9->setEnabled(true);
    w->Button9->click();
    ASSERT_TRUE(waitUntil([&] {
        int n = 0;
        for (const QJsonObject& e : host.entities()) n += e["layer"].toString() == QStringLiteral("MIRTEX");
        return n == 4;
    }, 10000)) << host.commandLog().toStdString();

    menuItem(*w, "qvriselsp1")->trigger();
    ASSERT_TRUE(waitUntil([&] { return host.commandLog().contains(QStringLiteral("qvrise.lsp: QVRISE")); }, 10000))
        << host.commandLog().toStdString();
    // The load line as sent: the path quoted, then (princ).
    EXPECT_TRUE(host.commandLog().contains(QStringLiteral("(load \"%1\")(princ)").arg(dir.filePath(QStringLiteral("qvrise.lsp")))))
        << host.commandLog().toStdString();

    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    host.answerPicks({QPointF(19990, 19980), QPointF(20100, 20010)});  // the window around the four texts
    menuItem(*w, "VCOPY1")->trigger();
    ASSERT_TRUE(waitUntil([&] { return host.commandLog().contains(QStringLiteral("2 行でクリップボードにコピーしました。")); }, 10000))
        << host.commandLog().toStdString();
    const QString expected = QStringLiteral("品名\t数量\r\nALC板\t12\r\n");
    EXPECT_TRUE(waitUntil([&] { return QGuiApplication::clipboard()->text() == expected; }, 5000))
        << QGuiApplication::clipboard()->text().toStdString();

    // Ctrl+V at row 2, column 1 of a cleared table.
    for (int r = 1; r < w->Grid.RowCount(); ++r)
        for (int c = 1; c <= 2; ++c) w->Grid.setCell(c, r, QString());
    w->Grid.setCurrent(1, 2);
    w->Grid.setSelection({1, 2, 1, 2});
    w->StringGrid1KeyDown(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(w->Grid.cell(1, 2), QStringLiteral("品名"));
    EXPECT_EQ(w->Grid.cell(2, 2), QStringLiteral("数量"));
    EXPECT_EQ(w->Grid.cell(1, 3), QStringLiteral("ALC板"));
    EXPECT_EQ(w->Grid.cell(2, 3), QStringLiteral("12"));

    // QVRISE from the menu: the window picked through the test interface, the
    // height typed while the command waits for it; then U; then Escape at the selection.
    auto mirtexHeights = [&] {
        QList<double> out;
        for (const QJsonObject& e : host.entities())
            if (e["layer"].toString() == QStringLiteral("MIRTEX")) out << e["height"].toDouble();
        return out;
    };
    CadObject application;
    ASSERT_TRUE(connectCad(progId, application, false));
    const CadObject document = application.getObject(QStringLiteral("ActiveDocument"));
    host.answerPicks({QPointF(19990, 19980), QPointF(20100, 20010)});
    menuItem(*w, "VRISE1")->trigger();
    ASSERT_TRUE(waitUntil([&] { return host.commandLog().contains(QStringLiteral("新しい文字高さ <2.500>:")); }, 10000))
        << host.commandLog().toStdString();
    document.invoke(QStringLiteral("SendCommand"), {QStringLiteral("3.5\r")});
    EXPECT_TRUE(waitUntil([&] { return mirtexHeights() == QList<double>{3.5, 3.5, 3.5, 3.5}; }, 10000))
        << host.commandLog().toStdString();
    document.invoke(QStringLiteral("SendCommand"), {QStringLiteral("U\r")});
    EXPECT_TRUE(waitUntil([&] { return mirtexHeights() == QList<double>{2.5, 2.5, 2.5, 2.5}; }, 10000));

    const QList<QJsonObject> before = host.entities();
    menuItem(*w, "VRISE1")->trigger();
    ASSERT_TRUE(waitUntil([&] { return host.commandLog().endsWith(QStringLiteral("オブジェクトを選択:")); }, 10000))
        << host.commandLog().toStdString();
    document.invoke(QStringLiteral("SendCommand"), {QString(QChar(0x1b))});
    EXPECT_TRUE(waitUntil([&] { return host.commandLog().endsWith(QStringLiteral("*キャンセル*")); }, 10000))
        << host.commandLog().toStdString();
    EXPECT_EQ(host.entities(), before);

    EXPECT_TRUE(errors.isEmpty()) << errors.join('|').toStdString();
    EXPECT_FALSE(host.commandLog().contains(QStringLiteral("; error"))) << host.commandLog().toStdString();
}

}  // namespace
