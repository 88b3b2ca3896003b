#include "app/AppPaths.h"
#include "app/Application.h"
#include "app/Dialogs.h"
#include "app/Form102.h"
#include "app/IniFile.h"
#include "output/CodePage.h"
#include "tests/app/DialogTestSupport.h"
#include "tests/support/QtTestSupport.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {
class TargetCadDialog : public ::testing::Test {
protected:
    void SetUp() override {
        testApplication<MirtexApplication>();
        AppPaths::setExecutableForTesting(dir.path());
        w = std::make_unique<TForm102>();
        dialog = std::make_unique<TTargetCADForm>(w.get());
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }
    void TearDown() override {
        dialog.reset();
        w.reset();
    }
    QString listPath() const { return dir.filePath("TargetCAD_APIVersion.txt"); }
    void writeList(const QByteArray& bytes) {
        QFile f(listPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray listBytes() const {
        QFile f(listPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QStringList shownRows() const {
        QStringList rows;
        for (int i = 0; i < dialog->ListBox1->count(); ++i) rows << dialog->ListBox1->item(i)->text();
        return rows;
    }
    // Opens the dialog with "CAD", runs the steps in it, then closes it with OK or cancel.
    void open(std::function<void()> steps, bool ok) {
        whenShown(dialog.get(), [&] {
            steps();
            (ok ? dialog->Button1 : dialog->Button2)->click();
        });
        w->Button4->click();
    }
    void clickRow(int row) {
        QListWidgetItem* item = dialog->ListBox1->item(row);
        QTest::mouseClick(dialog->ListBox1->viewport(), Qt::LeftButton, {}, dialog->ListBox1->visualItemRect(item).center());
    }
    static void typeInto(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->selectAll();
        // Japanese arrives from an input method as one committed string, not as keys.
        bool ascii = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 128; });
        if (ascii) QTest::keyClicks(edit, text);
        else edit->insert(text);
    }

    QTemporaryDir dir;
    std::unique_ptr<TForm102> w;
    std::unique_ptr<TTargetCADForm> dialog;
};

const QString kTitle = kApplicationTitle;
}

TEST_F(TargetCadDialog, ControlsAndLayout) {
    EXPECT_EQ(dialog->windowTitle(), QString("ターゲット CAD"));
    EXPECT_EQ(dialog->size(), QSize(315, 307));
    EXPECT_EQ(dialog->ListBox1->size(), QSize(297, 137));
    EXPECT_EQ(dialog->Label1->text(), QString("名称 （説明）"));
    EXPECT_EQ(dialog->Label2->text(), QString("ProgID （クラス文字列）"));
    EXPECT_EQ(dialog->SpeedButton1->text(), QString("追加"));
    EXPECT_EQ(dialog->SpeedButton2->text(), QString("削除"));
    EXPECT_EQ(dialog->SpeedButton3->text(), QString("変更"));
    EXPECT_EQ(dialog->Button1->text(), QString("OK"));
    EXPECT_EQ(dialog->Button2->text(), QString("取り消し"));
    EXPECT_FALSE(dialog->Button1->isDefault() || dialog->Button1->autoDefault());
    EXPECT_FALSE(dialog->Button2->isDefault() || dialog->Button2->autoDefault());
    EXPECT_FALSE(dialog->Edit1->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_EQ(dialog->Edit1->parentWidget(), dialog->GroupBox1);
}

TEST_F(TargetCadDialog, NoFileAndOkAtOnceTakesEmptyNameAndProgId) {
    bool aboveMain = false;
    open([&] { aboveMain = dialog->parentWidget() == w.get() && dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint); }, true);
    EXPECT_TRUE(aboveMain);
    EXPECT_EQ(w->windowTitle(), kTitle + " [  ]");
    EXPECT_EQ(w->TargetCadName, "");
    EXPECT_EQ(w->TargetProgID, "");
    EXPECT_TRUE(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(QFile::exists(listPath()));
    dialog.reset();
    w.reset();
    const IniFile ini(AppPaths::exePathWith(".ini"));
    EXPECT_EQ(ini.readString("TargetCAD", "ProgID", "x"), "");
    EXPECT_EQ(ini.readString("TargetCAD", "Name", "x"), "");
}

TEST_F(TargetCadDialog, VersionedProgIdIsPreselectedByItsPrefix) {
    writeList(toCp932("AutoCAD 2024\tAutoCAD.Application.24\r\nBricsCAD V24\tBricscadApp.AcadApplication.24.0\r\n"));
    QString name, progId;
    open([&] {
        name = dialog->Edit1->text();
        progId = dialog->Edit2->text();
        EXPECT_EQ(dialog->ListBox1->currentRow(), 1);
    }, true);
    EXPECT_EQ(name, "BricsCAD V24");
    EXPECT_EQ(progId, "BricscadApp.AcadApplication.24.0");
    EXPECT_EQ(w->TargetProgID, "BricscadApp.AcadApplication.24.0");
    EXPECT_EQ(w->windowTitle(), kTitle + " [ BricsCAD V24 ]");
}

TEST_F(TargetCadDialog, CancelAfterAddKeepsTheRowButNotTheTarget) {
    const QString title = w->windowTitle();
    open([&] {
        typeInto(dialog->Edit1, "ZWCAD");
        typeInto(dialog->Edit2, "ZWCAD.Application");
        dialog->SpeedButton1->click();
        EXPECT_EQ(shownRows(), QStringList{"ZWCAD\tZWCAD.Application"});
        EXPECT_EQ(dialog->ListBox1->currentRow(), 0);
    }, false);
    EXPECT_EQ(listBytes(), QByteArray("ZWCAD\tZWCAD.Application\r\n"));
    EXPECT_EQ(w->TargetProgID, "BricscadApp.AcadApplication");
    EXPECT_EQ(w->TargetCadName, "BricsCAD");
    EXPECT_EQ(w->windowTitle(), title);
}

TEST_F(TargetCadDialog, EnterInAnEditBoxChangesTheRowInPlaceUntilTheNextLoad) {
    writeList(toCp932("A CAD\tA.App\r\nB CAD\tB.App\r\nC CAD\tC.App\r\n"));
    open([&] {
        clickRow(0);
        EXPECT_EQ(dialog->Edit2->text(), "A.App");
        typeInto(dialog->Edit1, "Z CAD");
        QTest::keyClick(dialog->Edit1, Qt::Key_Return);
        EXPECT_TRUE(dialog->isVisible());  // Enter is "変更", not OK
        EXPECT_EQ(shownRows(), (QStringList{"Z CAD\tA.App", "B CAD\tB.App", "C CAD\tC.App"}));
        dialog->ListBox1->setFocus();
        QTest::keyClick(dialog->ListBox1, Qt::Key_Down);  // the keys select as a click does
        EXPECT_EQ(dialog->Edit1->text(), "B CAD");
        typeInto(dialog->Edit2, "B.App.2");
        QTest::keyClick(dialog->Edit2, Qt::Key_Enter);
        EXPECT_EQ(shownRows(), (QStringList{"Z CAD\tA.App", "B CAD\tB.App.2", "C CAD\tC.App"}));
    }, false);
    EXPECT_EQ(listBytes(), QByteArray("Z CAD\tA.App\r\nB CAD\tB.App.2\r\nC CAD\tC.App\r\n"));
    w->TargetProgID = "A.App";
    open([&] {
        EXPECT_EQ(shownRows(), (QStringList{"B CAD\tB.App.2", "C CAD\tC.App", "Z CAD\tA.App"}));
        EXPECT_EQ(dialog->ListBox1->currentRow(), 2);
    }, false);
}

TEST_F(TargetCadDialog, DeleteTheMiddleTheLastAndTheOnlyRow) {
    writeList(toCp932("A\ta\r\nB\tb\r\nC\tc\r\n"));
    open([&] {
        clickRow(1);
        dialog->SpeedButton2->click();
        EXPECT_EQ(shownRows(), (QStringList{"A\ta", "C\tc"}));
        EXPECT_EQ(dialog->ListBox1->currentRow(), 1);
        EXPECT_EQ(dialog->Edit1->text(), "C");
        dialog->SpeedButton2->click();
        EXPECT_EQ(dialog->ListBox1->currentRow(), 0);
        EXPECT_EQ(dialog->Edit1->text(), "A");
        dialog->SpeedButton2->click();
        EXPECT_EQ(dialog->ListBox1->count(), 0);
        EXPECT_EQ(dialog->ListBox1->currentRow(), -1);
        EXPECT_EQ(dialog->Edit1->text(), "");
        EXPECT_EQ(dialog->Edit2->text(), "");
        dialog->SpeedButton2->click();  // nothing selected: nothing happens
        dialog->SpeedButton3->click();
        EXPECT_EQ(dialog->ListBox1->count(), 0);
    }, false);
    EXPECT_TRUE(QFile::exists(listPath()));
    EXPECT_EQ(listBytes(), QByteArray());
}

TEST_F(TargetCadDialog, JapaneseNamesSurviveAChangeInUtf16AndShiftJis) {
    struct Case { QByteArray bytes; QByteArray after; };
    const QString before = QStringLiteral("大和CAD\tYamato.Application\r\n汎用図面\tHanyo.App\r\n");
    const QString after = QStringLiteral("大和CAD 改\tYamato.Application\r\n汎用図面\tHanyo.App\r\n");
    const auto utf16le = [](const QString& s) {
        return QByteArray("\xFF\xFE") + QByteArray(reinterpret_cast<const char*>(s.utf16()), s.size() * 2);
    };
    const Case cases[] = {{utf16le(before), utf16le(after)}, {toCp932(before), toCp932(after)}};
    for (const Case& c : cases) {
        writeList(c.bytes);
        w->TargetProgID = "Yamato.Application";
        open([&] {
            EXPECT_EQ(dialog->Edit1->text(), QStringLiteral("大和CAD"));
            typeInto(dialog->Edit1, QStringLiteral("大和CAD 改"));
            dialog->SpeedButton3->click();
        }, true);
        EXPECT_EQ(listBytes(), c.after);
        EXPECT_EQ(w->TargetCadName, QStringLiteral("大和CAD 改"));
    }
}

TEST_F(TargetCadDialog, FileThatCannotBeWrittenIsAMessageAndTheListKeepsTheChange) {
    writeList("A\ta\r\n");
    QString message;
    open([&] {
        // The file turns into a folder after loading: it can no longer be replaced.
        ASSERT_TRUE(QFile::remove(listPath()));
        ASSERT_TRUE(QDir(dir.path()).mkdir("TargetCAD_APIVersion.txt"));
        typeInto(dialog->Edit1, "B");
        typeInto(dialog->Edit2, "b");
        answerNextMessageBox(&message);
        dialog->SpeedButton1->click();
        EXPECT_EQ(shownRows(), (QStringList{"A\ta", "B\tb"}));
        EXPECT_EQ(dialog->ListBox1->currentRow(), 1);
    }, false);
    EXPECT_TRUE(message.contains("TargetCAD_APIVersion.txt")) << message.toStdString();
}
