// Faults of the CAD and of the working folder, end to end: the real main
// window, a real CAD host on the private bus that is killed, made busy or made
// to refuse calls in the middle of a command, and a folder that cannot be
// written. MIRTEX must carry on, come back to idle and lose nothing.
#include "MainWindowE2E.h"
#include "HostView.h"
#include "tests/support/QtTestSupport.h"
#include "app/AppPaths.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QThread>
#include <signal.h>
#include <atomic>
#include <thread>

namespace {

const QString kSample = QStringLiteral(MIRTEX_SOURCE_DIR "/samples/plan.dxf");
const QString kMirtex = QStringLiteral("MIRTEX");
const QString kTextHeader = QStringLiteral("文字列");

QList<TableRow> sixRows()
{
    QList<TableRow> rows;
    for (int i = 1; i <= 6; ++i)
        rows << TableRow{QStringLiteral("T%1").arg(i), QStringLiteral("2.5"), QStringLiteral("0"),
                         QString::number(i * 10), QStringLiteral("5"), QStringLiteral("4")};
    return rows;
}

class CadFaultsE2E : public MainWindowE2E {
protected:
    void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    // Runs act once, between two texts, when the direct road's header shows "row / n".
    void atDirectRoadRow(int row, int n, std::function<void()> act)
    {
        m_atRow.setInterval(0);
        QObject::connect(&m_atRow, &QTimer::timeout, [this, row, n, act] {
            if (form->Grid.cell(1, 0) != QStringLiteral("%1 / %2").arg(row).arg(n)) return;
            m_atRow.stop();
            act();
        });
        m_atRow.start();
    }

    // The window is idle again: both write buttons on, stop off, the header back.
    void expectIdle()
    {
        EXPECT_TRUE(form->Button1->isEnabled());
        EXPECT_TRUE(form->Button9->isEnabled());
        EXPECT_FALSE(form->Button17->isEnabled());
        EXPECT_TRUE(form->Button2->isEnabled());
        EXPECT_EQ(form->Button9->text(), QStringLiteral("TEXT 作成"));
        EXPECT_EQ(form->Grid.cell(1, 0), kTextHeader);
        EXPECT_FALSE(form->textRunActive);
    }

    QStringList textStrings(const QString& layer)
    {
        QStringList out;
        for (const QJsonObject& e : textsOn(layer)) out << e[QStringLiteral("text")].toString();
        out.sort();
        return out;
    }

    QTimer m_atRow;
};

TEST_F(CadFaultsE2E, HostKilledDuringACropPick_WindowComesBackAndTheNextCropWorks)
{
    startHost("Crop", kSample);
    openWindow();
    const pid_t pid = pid_t(m_host.processId());
    std::atomic<bool> killed{false};
    std::thread killer([&] {
        for (int waited = 0; waited < 200; ++waited) {
            if (m_host.commandLog().contains(QStringLiteral("1 点目を指示"))) {
                killed = ::kill(pid, SIGKILL) == 0;
                return;
            }
            QThread::msleep(50);
        }
    });
    QElapsedTimer clock;
    clock.start();
    click(form->Button2);  // returns once the pick has failed
    killer.join();
    ASSERT_TRUE(killed) << "the pick was never asked for";
    EXPECT_LT(clock.elapsed(), 15000);
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->isMinimized());
    EXPECT_TRUE(form->Button2->isEnabled());
    EXPECT_TRUE(form->Memo1->toPlainText().isEmpty()) << form->Memo1->toPlainText().toStdString();
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join('|').toStdString();

    // The CAD runs again: the next crop picks and cuts its view (what the
    // recognition makes of it is the crop's own tests' business).
    restartHost(kSample);
    const HostView v = HostView::of(m_doc);
    m_host.answerPicks({v.pixelCentre({2, 2}), v.pixelCentre({v.w - 3, v.h - 3})});
    click(form->Button2);
    const QImage cut(AppPaths::inExeFolder(QStringLiteral("source.png")));
    ASSERT_FALSE(cut.isNull()) << "no cut was made";
    EXPECT_NEAR(cut.width(), v.w - 5, 1);
    EXPECT_NEAR(cut.height(), v.h - 5, 1);
    EXPECT_EQ(form->Crop.WidthPx, cut.width());
    EXPECT_EQ(form->Crop.HeightPx, cut.height());
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join('|').toStdString();
}

TEST_F(CadFaultsE2E, HostKilledDuringTheDirectRoad_RunEndsSilentlyAndTheNextRunWorks)
{
    startHost("Direct");
    openWindow();
    fillTable(sixRows());
    atDirectRoadRow(3, 6, [this] { ::kill(pid_t(m_host.processId()), SIGKILL); });
    click(form->Button9);
    expectIdle();
    EXPECT_FALSE(form->Memo1->toPlainText().contains(QStringLiteral("TEXT を作成しました")));
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join('|').toStdString();

    restartHost();
    click(form->Button9);
    EXPECT_EQ(textStrings(kMirtex), (QStringList{"T1", "T2", "T3", "T4", "T5", "T6"}));
    EXPECT_TRUE(form->Memo1->toPlainText().contains(QStringLiteral("6 TEXT を作成しました.")));
    expectIdle();
}

// The DXF and the LISP road, each held in a call to a busy CAD when the CAD
// dies: the error is reported in one fully drawn box, and the road works
// again with a new CAD.
class CadKilledInRoadE2E : public CadFaultsE2E, public ::testing::WithParamInterface<bool> {};

TEST_P(CadKilledInRoadE2E, ErrorBoxIsDrawnButtonsComeBackAndTheNextRunWorks)
{
    const bool lisp = GetParam();
    startHost(lisp ? "KilledLisp" : "KilledDxf");
    openWindow();
    form->CheckBox8->setChecked(lisp);
    QPushButton* road = lisp ? form->Button9 : form->Button1;
    const QList<TableRow> rows = sixRows().mid(0, 3);
    fillTable(rows);
    m_host.failNextCalls(1000, QStringLiteral("retry"));
    const pid_t pid = pid_t(m_host.processId());
    std::thread killer([pid] {
        QThread::msleep(1500);
        ::kill(pid, SIGKILL);
    });
    click(road);
    killer.join();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxesDrawn[0]) << "the box was not shown as drawn";
    EXPECT_FALSE(boxes[0].isEmpty());
    expectIdle();

    restartHost();
    boxes.clear();
    click(road);
    EXPECT_TRUE(waitForTexts(kMirtex, rows.size())) << m_host.commandLog().toStdString();
    EXPECT_EQ(textStrings(kMirtex), (QStringList{"T1", "T2", "T3"}));
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join('|').toStdString();
    expectIdle();
}

INSTANTIATE_TEST_SUITE_P(Roads, CadKilledInRoadE2E, ::testing::Bool(),
                         [](const auto& info) { return info.param ? std::string("Lisp") : std::string("Dxf"); });

TEST_F(CadFaultsE2E, BusyForTenSecondsInTheDirectRoad_WaitsAndMakesEveryTextOnce)
{
    startHost("Busy");
    openWindow();
    fillTable(sixRows());
    atDirectRoadRow(3, 6, [this] { m_host.failNextCalls(10, QStringLiteral("retry")); });
    QElapsedTimer clock;
    clock.start();
    click(form->Button9);
    EXPECT_GE(clock.elapsed(), 9500) << "ten refusals, a second apart";
    EXPECT_EQ(textStrings(kMirtex), (QStringList{"T1", "T2", "T3", "T4", "T5", "T6"}));
    for (const QJsonObject& e : textsOn(kMirtex)) EXPECT_TRUE(e[QStringLiteral("visible")].toBool());
    EXPECT_TRUE(form->Memo1->toPlainText().contains(QStringLiteral("6 TEXT を作成しました.")));
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join('|').toStdString();
    expectIdle();
}

// A refused call ends the run; the undo step it opened is closed, so the
// next change is a step of its own and one "U" takes the run's texts away.
TEST_F(CadFaultsE2E, RefusedCallInTheDirectRoad_EndsTheRunWithItsUndoStepClosed)
{
    startHost("Refused");
    openWindow();
    fillTable(sixRows());
    atDirectRoadRow(3, 6, [this] { m_host.failNextCalls(1, QStringLiteral("reject")); });
    click(form->Button9);
    expectIdle();
    EXPECT_FALSE(form->Memo1->toPlainText().contains(QStringLiteral("TEXT を作成しました")));
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join('|').toStdString();
    EXPECT_EQ(textStrings(kMirtex), (QStringList{"T1", "T2"}));

    const CadObject modelSpace = m_doc.getObject(QStringLiteral("ModelSpace"));
    modelSpace.invoke(QStringLiteral("AddText"), {QStringLiteral("after"), point(0, 0, 0), 2.5});
    ASSERT_EQ(textStrings(QStringLiteral("0")), QStringList{"after"});
    m_doc.invoke(QStringLiteral("SendCommand"), {QStringLiteral("U\r")});
    ASSERT_TRUE(waitUntil([&] { return textStrings(QStringLiteral("0")).isEmpty(); }, 5000));
    EXPECT_EQ(textStrings(kMirtex), (QStringList{"T1", "T2"})) << "the later text was a step of its own";
    m_doc.invoke(QStringLiteral("SendCommand"), {QStringLiteral("U\r")});
    EXPECT_TRUE(waitForTexts(kMirtex, 0, 5000));
}

// The folder cannot be written when a road starts: one message naming the
// file, nothing sent to the CAD, the folder as it was (an earlier file that
// cannot be replaced stays as it is and is not sent either).
class ReadOnlyRoadE2E : public CadFaultsE2E, public ::testing::WithParamInterface<bool> {};

TEST_P(ReadOnlyRoadE2E, MessageNothingSentNothingHalfWritten)
{
    const bool lisp = GetParam();
    startHost(lisp ? "ReadOnlyLisp" : "ReadOnlyDxf");
    openWindow();
    form->CheckBox8->setChecked(lisp);
    fillTable(sixRows().mid(0, 2));
    const QString file = lisp ? AppPaths::exePathWith(QStringLiteral(".lsp")) : AppPaths::inExeFolder(QStringLiteral("temp.dxf"));
    {
        QFile stale(file);
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
        stale.write("(princ \"stale\")\r\n");
    }
    const QStringList before = folderFiles();
    {
        ReadOnlyFolder readOnly(m_dir.path());
        if (!readOnly.holds()) GTEST_SKIP() << "the folder stays writable here";
        click(lisp ? form->Button9 : form->Button1);
    }
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].contains(file)) << boxes[0].toStdString();
    EXPECT_TRUE(boxesDrawn[0]);
    EXPECT_FALSE(commandSent(lisp ? QStringLiteral("(load") : QStringLiteral("INSERT"))) << m_host.commandLog().toStdString();
    EXPECT_EQ(folderFiles(), before);
    QFile stale(file);
    ASSERT_TRUE(stale.open(QIODevice::ReadOnly));
    EXPECT_EQ(stale.readAll(), QByteArray("(princ \"stale\")\r\n"));
    QThread::msleep(300);
    EXPECT_TRUE(textsOn(kMirtex).isEmpty());
    expectIdle();
}

INSTANTIATE_TEST_SUITE_P(Roads, ReadOnlyRoadE2E, ::testing::Bool(),
                         [](const auto& info) { return info.param ? std::string("Lisp") : std::string("Dxf"); });

// 再読込 writes the export: in a read-only folder one message, the table
// still read, nothing left behind.
TEST_F(CadFaultsE2E, ReadOnlyFolderForTheExport_MessageAndNothingHalfWritten)
{
    openWindow();
    fillTable(sixRows().mid(0, 3));
    form->Crop = CropGeometry{0.5, 100, 200, 400, 300};
    form->Grid.setRowCount(2);
    const QString tsv = AppPaths::exePathWith(QStringLiteral(".tsv"));
    const QStringList before = folderFiles();
    {
        ReadOnlyFolder readOnly(m_dir.path());
        if (!readOnly.holds()) GTEST_SKIP() << "the folder stays writable here";
        click(form->Button5);
    }
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].contains(tsv)) << boxes[0].toStdString();
    EXPECT_TRUE(boxesDrawn[0]);
    EXPECT_EQ(folderFiles(), before);
    EXPECT_EQ(form->Grid.RowCount(), 4);
    EXPECT_EQ(form->Grid.cell(1, 3), QStringLiteral("T3"));
}

// The settings are written when the window goes: a folder that cannot take
// them gives one clear message naming the file, and the program ends normally.
TEST_F(CadFaultsE2E, SettingsWrittenAtExitToAReadOnlyFolder_ClearMessageNoCrash)
{
    openWindow();
    form->Edit1->setText(QStringLiteral("7.5"));
    const QString ini = AppPaths::exePathWith(QStringLiteral(".ini"));
    const QStringList before = folderFiles();
    {
        ReadOnlyFolder readOnly(m_dir.path());
        if (!readOnly.holds()) GTEST_SKIP() << "the folder stays writable here";
        form.reset();
    }
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].contains(ini)) << boxes[0].toStdString();
    EXPECT_TRUE(boxesDrawn[0]);
    EXPECT_EQ(folderFiles(), before);

    // Writable again: the next window saves as usual.
    openWindow();
    form->Edit1->setText(QStringLiteral("7.5"));
    form.reset();
    QFile saved(ini);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.readAll().contains("7.5"));
    EXPECT_EQ(boxes.size(), 1);
}

}  // namespace
