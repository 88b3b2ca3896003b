// The result grid's commands on the real main window under Xvfb with a window
// manager: keys sent to the grid and to an open cell editor, the clipboard
// shared with another program, the replace dialog driven by keys, sorting by
// a header click, the rounding commands.
#include "WindowManagerState.h"
#include "app/AppPaths.h"
#include "app/Application.h"
#include "app/Form102.h"
#include "results/nTextTikanUnit.h"
#include "tests/support/QtTestSupport.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

class ResultGridWindow : public ::testing::Test {
protected:
    void SetUp() override {
        testApplication<MirtexApplication>();
        ASSERT_TRUE(dir.isValid());
        AppPaths::setExecutableForTesting(dir.path());
        form = std::make_unique<TForm102>();
        replaceForm = std::make_unique<TnTextTikanForm>(form.get());  // created at start, as the program does
        form->show();
        // The first window may wait for the window manager to come up.
        ASSERT_TRUE(waitUntil([&] { return WindowManagerState::stackIndex(form->winId()) >= 0; }, 15000));
        grid = form->StringGrid1;
    }
    void TearDown() override {
        replaceForm.reset();
        form.reset();
    }

    // n data rows: number "r ", text "row r", height, angle, X, Y.
    void fillRows(int n) {
        TGridModel& g = form->Grid;
        g.setRowCount(n + 1);
        for (int r = 1; r <= n; ++r) {
            g.setCell(0, r, QString::number(r) + " ");
            g.setCell(1, r, QString("row %1").arg(r));
            g.setCell(2, r, "2.5");
            g.setCell(3, r, "0");
            g.setCell(4, r, QString::number(r * 10));
            g.setCell(5, r, "0");
        }
    }
    QStringList column(int col) const {
        QStringList out;
        for (int r = 1; r < form->Grid.RowCount(); ++r) out << form->Grid.cell(col, r);
        return out;
    }
    QString lastMemoLine() const { return form->Memo1->document()->lastBlock().text(); }
    // The cell editor the grid has open, null when none.
    QLineEdit* openEditor() const {
        for (QLineEdit* e : grid->viewport()->findChildren<QLineEdit*>())
            if (e->isVisible()) return e;  // a closed editor is hidden until it is deleted
        return nullptr;
    }

    QTemporaryDir dir;
    std::unique_ptr<TForm102> form;
    std::unique_ptr<TnTextTikanForm> replaceForm;
    TStringGridView* grid = nullptr;
};

TEST_F(ResultGridWindow, KeysInTheGridWalkTheRowsAndRunTheRangeCommands) {
    fillRows(5);
    form->Grid.setCurrent(1, 5);
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_EQ(form->Grid.Row(), 1);
    EXPECT_EQ(form->Edit2->text(), "row 1") << "the new row is shown";
    QTest::keyClick(grid, Qt::Key_Enter, Qt::ShiftModifier);
    EXPECT_EQ(form->Grid.Row(), 5);
    EXPECT_EQ(grid->currentIndex().row(), 4) << "the view follows";

    form->Grid.setCurrent(1, 2);
    QTest::keyClick(grid, Qt::Key_Delete);  // one cell: nothing, and no editor opened
    EXPECT_EQ(form->Grid.cell(1, 2), "row 2");
    EXPECT_EQ(openEditor(), nullptr);
    EXPECT_EQ(form->FUndoCells.Count(), 0);

    form->Grid.setSelection({1, 2, 2, 3});
    QTest::keyClick(grid, Qt::Key_Delete);
    EXPECT_EQ(column(1), QStringList({"row 1", "", "", "row 4", "row 5"}));
    EXPECT_EQ(column(2).mid(1, 2), QStringList({"", ""}));
    EXPECT_EQ(form->sgUndoCnt, 4);
    QTest::keyClick(grid, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(column(1), QStringList({"row 1", "row 2", "row 3", "row 4", "row 5"}));
    EXPECT_EQ(form->sgUndoCnt, 0);
    EXPECT_EQ(form->Grid.Col(), 1);
    EXPECT_EQ(form->Grid.Row(), 2) << "the first cell cleared is taken back last";
}

TEST_F(ResultGridWindow, KeysInAnOpenCellEditorReachTheGrid) {
    fillRows(5);
    form->Grid.setCurrent(1, 2);
    QTest::keyClicks(grid, "x");  // typing starts the editor
    QLineEdit* editor = openEditor();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, "yz");
    EXPECT_EQ(editor->text(), "xyz");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(form->Grid.cell(1, 2), "xyz") << "leaving the cell commits the edit";
    EXPECT_EQ(form->Grid.Row(), 3);
    EXPECT_EQ(form->Edit2->text(), "row 3");
    EXPECT_EQ(openEditor(), nullptr);

    // Delete on one cell stays the editor's: it deletes a character.
    QTest::keyClick(grid, Qt::Key_F2);
    editor = openEditor();
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Home);
    QTest::keyClick(editor, Qt::Key_Delete);
    EXPECT_EQ(editor->text(), "ow 3");
    EXPECT_EQ(form->FUndoCells.Count(), 0);
    // Ctrl+C copies the grid's selection, with what was typed committed first.
    QTest::keyClick(editor, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(form->Grid.cell(1, 3), "ow 3");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "ow 3\r\n");
    EXPECT_EQ(openEditor(), nullptr);

    // Ctrl+V pastes into the grid; the typed text is recorded and comes back with Ctrl+Z.
    form->Grid.setCurrent(1, 4);
    QTest::keyClicks(grid, "n");
    editor = openEditor();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, "ew");
    QGuiApplication::clipboard()->setText("pasted\r\n");
    QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(openEditor(), nullptr);
    QCoreApplication::processEvents();
    EXPECT_EQ(form->Grid.cell(1, 4), "pasted");
    QTest::keyClick(grid, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(form->Grid.cell(1, 4), "new");

    // Enter in the row editor above the grid walks the rows in the same way.
    form->Grid.setCurrent(1, 5);
    QTest::keyClick(form->Edit2, Qt::Key_Return);
    EXPECT_EQ(form->Grid.Row(), 1);
    EXPECT_EQ(form->Edit2->text(), "row 1");
    QTest::keyClick(form->Edit2, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(form->Grid.Row(), 5);
    EXPECT_EQ(form->Edit2->text(), "row 5");
}

TEST_F(ResultGridWindow, ClipboardRoundTripWithAnotherProgram) {
    fillRows(4);
    form->Grid.setCurrent(1, 2);
    form->Grid.setSelection({1, 2, 2, 3});
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    QProcess get;
    get.start(QStringLiteral(CLIPBOARD_PEER), {QStringLiteral("get")});
    // This process serves the clipboard it owns, so events are handled while the peer asks.
    ASSERT_TRUE(waitUntil([&] { return get.state() == QProcess::NotRunning; }, 10000));
    EXPECT_EQ(QString::fromUtf8(get.readAllStandardOutput()), "row 2\t2.5\r\nrow 3\t2.5\r\n");

    QProcess set;
    set.start(QStringLiteral(CLIPBOARD_PEER), {QStringLiteral("set")});
    ASSERT_TRUE(set.waitForStarted(5000));
    set.write("A\tB\r\nC\r\nunended");
    set.closeWriteChannel();
    ASSERT_TRUE(set.waitForReadyRead(10000));
    ASSERT_TRUE(waitUntil([] { return QGuiApplication::clipboard()->text().startsWith("A\t"); }, 5000));
    form->Grid.setCurrent(1, 1);
    form->Grid.setSelection({1, 1, 1, 4});
    QTest::keyClick(grid, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(column(1), QStringList({"A", "C", "A", "C"}));
    EXPECT_EQ(column(2), QStringList({"B", "2.5", "B", "2.5"}));
    EXPECT_EQ(form->sgUndoCnt, 6);
    set.kill();
    set.waitForFinished(5000);
}

TEST_F(ResultGridWindow, ReplaceDialogDrivenByKeysAboveTheMainWindow) {
    fillRows(3);
    form->Grid.setCell(1, 1, "Hello");
    form->Grid.setCell(1, 2, "LOL");
    form->Grid.setCell(1, 3, "abc");
    form->Grid.setCurrent(1, 1);
    TnTextTikanForm* dialog = TnTextTikanForm::instance();
    ASSERT_EQ(dialog, replaceForm.get());

    bool appeared = false;
    int mainIndex = -1, dialogIndex = -1;
    QString searchShown;
    QSize clientSize;
    QTimer::singleShot(0, [&] {
        appeared = waitUntil([&] {
            return dialog->isVisible() && WindowManagerState::stackIndex(dialog->winId()) >= 0;
        }, 5000);
        if (!appeared) return dialog->reject();
        waitUntil([] { return false; }, 200);  // let the window manager settle the stack
        mainIndex = WindowManagerState::stackIndex(form->winId());
        dialogIndex = WindowManagerState::stackIndex(dialog->winId());
        searchShown = dialog->Edit1->text();
        clientSize = dialog->size();
        QTest::keyClick(dialog->Edit1, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(dialog->Edit1, "l");
        QTest::keyClick(dialog->Edit1, Qt::Key_Return);  // to the replacement
        QTest::keyClicks(dialog->focusWidget(), "1");
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);  // OK
    });
    QTest::mouseClick(form->Button12, Qt::LeftButton);
    ASSERT_TRUE(appeared);
    EXPECT_GT(dialogIndex, mainIndex) << "the dialog shows above the stay-on-top main window";
    EXPECT_EQ(searchShown, "Hello");
    EXPECT_EQ(clientSize, QSize(287, 113));
    EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("部分一致文字列置換"));
    EXPECT_EQ(dialog->Edit2->text(), "1");
    EXPECT_EQ(column(1), QStringList({"He11o", "LOL", "abc"}));
    EXPECT_EQ(lastMemoLine(), QString::fromUtf8("1 個の文字列を置換しました．"));
    EXPECT_EQ(form->sgUndoCnt, 1);
    EXPECT_TRUE(waitUntil([&] { return WindowManagerState::isKeptAbove(form->winId()); }, 3000))
        << "the main window is on top again";
    QTest::keyClick(grid, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(form->Grid.cell(1, 1), "Hello");

    // The texts are kept; Escape cancels and nothing changes.
    const int memoLines = form->Memo1->document()->blockCount();
    QString replacementKept;
    QTimer::singleShot(0, [&] {
        if (!waitUntil([&] { return dialog->isVisible(); }, 5000)) return;
        replacementKept = dialog->Edit2->text();
        QTest::keyClick(dialog->Edit1, Qt::Key_Escape);
    });
    form->Button12Click();
    EXPECT_EQ(replacementKept, "1");
    EXPECT_EQ(column(1), QStringList({"Hello", "LOL", "abc"}));
    EXPECT_EQ(form->Memo1->document()->blockCount(), memoLines);
}

TEST_F(ResultGridWindow, HeaderClicksSortAndTheCornerRestoresTheReadingOrder) {
    fillRows(4);
    const char* texts[] = {"b", "B", "ab", "a"};
    const char* heights[] = {"3", "1", "2", "2"};
    for (int r = 1; r <= 4; ++r) {
        form->Grid.setCell(1, r, texts[r - 1]);
        form->Grid.setCell(2, r, heights[r - 1]);
    }
    form->Grid.setCurrent(3, 2);
    QHeaderView* top = grid->horizontalHeader();
    auto clickHeader = [&](int col) {
        QTest::mouseClick(top->viewport(), Qt::LeftButton, {},
                          QPoint(top->sectionViewportPosition(col - 1) + 10, top->height() / 2));
    };
    clickHeader(1);
    EXPECT_EQ(column(1), QStringList({"B", "a", "ab", "b"}));
    EXPECT_EQ(form->Grid.Col(), 3);
    EXPECT_EQ(form->Grid.Row(), 2) << "the current cell stays";
    clickHeader(2);
    EXPECT_EQ(column(2), QStringList({"1", "2", "2", "3"}));
    EXPECT_EQ(lastMemoLine(), QString::fromUtf8("文字高さの平均値= 2.000"));
    auto* corner = grid->findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_NE(corner, nullptr);
    QTest::mouseClick(corner, Qt::LeftButton);
    EXPECT_EQ(column(1), QStringList({"b", "B", "ab", "a"}));
    EXPECT_EQ(grid->model()->data(grid->model()->index(0, 0)).toString(), "b") << "the view shows the new order";
}

TEST_F(ResultGridWindow, RoundingRunsFromItsButtonsAndFromEnterInTheStepBoxes) {
    fillRows(3);
    const char* angles[] = {"44.9", "45", "315"};
    for (int r = 1; r <= 3; ++r) {
        form->Grid.setCell(3, r, angles[r - 1]);
        form->Grid.setCell(4, r, "105.26");
        form->Grid.setCell(5, r, "-185.74");
    }
    form->Edit1->setText("90");
    QTest::keyClick(form->Edit1, Qt::Key_Return);
    EXPECT_EQ(column(3), QStringList({"0.0", "90.0", "0.0"}));
    EXPECT_EQ(form->Edit1->text(), "90");
    form->Edit3->setText("0.5");
    QTest::mouseClick(form->Button7, Qt::LeftButton);
    EXPECT_EQ(column(4), QStringList(3, "105.5"));
    EXPECT_EQ(column(5), QStringList(3, "-185.5"));
    form->Grid.setCell(3, 1, "-7");
    form->Edit1->setText("5");
    QTest::mouseClick(form->Button3, Qt::LeftButton);
    EXPECT_EQ(form->Grid.cell(3, 1), "355.0");
    form->Edit3->setText("1");
    QTest::keyClick(form->Edit3, Qt::Key_Enter);
    EXPECT_EQ(column(4), QStringList(3, "106.0"));
    EXPECT_EQ(form->FUndoCells.Count(), 0);
}

}  // namespace
