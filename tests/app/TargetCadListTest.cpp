#include "app/TaregetCADUnit.h"

#include "output/CodePage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>


namespace {
class TargetCadList : public ::testing::Test {
protected:
    QString path() const { return dir.filePath("TargetCAD_APIVersion.txt"); }
    void writeFile(const QByteArray& bytes) {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray fileBytes() const {
        QFile f(path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // A list with the given rows, shown with nothing to pre-select.
    TTargetCadList listOf(const QStringList& rows) {
        writeFile(encodeListFile(rows, ListFileEncoding::Cp932));
        TTargetCadList list(path());
        list.show(QStringLiteral("nothing matches"));
        return list;
    }
    QTemporaryDir dir;
};

const QString kAutoCad = QStringLiteral("AutoCAD 2024\tAutoCAD.Application.24");
const QString kBricsCad = QStringLiteral("BricsCAD\tBricscadApp.AcadApplication");
const QString kZwCad = QStringLiteral("ZWCAD\tZWCAD.Application");
}

TEST(TargetCadRows, SplitAndJoin) {
    struct Case { const char* row; const char* name; const char* progId; };
    const Case cases[] = {{"BricsCAD\tBricscadApp.AcadApplication", "BricsCAD", "BricscadApp.AcadApplication"},
                          {"NoTab.Application", "", "NoTab.Application"},
                          {"\tOnly.ProgID", "", "Only.ProgID"},
                          {"a\tb\tc", "a", "b\tc"},
                          {"", "", ""}};
    for (const Case& c : cases) {
        const auto [name, progId] = splitTargetCadRow(QString::fromUtf8(c.row));
        EXPECT_EQ(name, QString::fromUtf8(c.name)) << c.row;
        EXPECT_EQ(progId, QString::fromUtf8(c.progId)) << c.row;
    }
    EXPECT_EQ(targetCadRow("n", "p"), "n\tp");
}

TEST(TargetCadFile, EncodingsByByteOrderMark) {
    const QStringList lines{QStringLiteral("図研\tZuken.App"), QStringLiteral("x\ty")};
    struct Case { ListFileEncoding enc; QByteArray start; };
    const Case cases[] = {{ListFileEncoding::Utf8Bom, "\xEF\xBB\xBF"},
                          {ListFileEncoding::Utf16LeBom, QByteArray("\xFF\xFE\xF3\x56", 4)},
                          {ListFileEncoding::Utf16BeBom, QByteArray("\xFE\xFF\x56\xF3", 4)},
                          {ListFileEncoding::Cp932, "\x90\x7D\x8C\xA4\t"}};
    for (const Case& c : cases) {
        const QByteArray bytes = encodeListFile(lines, c.enc);
        EXPECT_TRUE(bytes.startsWith(c.start)) << int(c.enc) << " " << bytes.toHex().toStdString();
        const ListFileText back = decodeListFile(bytes);
        EXPECT_EQ(back.encoding, c.enc);
        EXPECT_EQ(back.lines, lines);
    }
    EXPECT_EQ(encodeListFile(lines, ListFileEncoding::Cp932), toCp932(lines.join("\r\n") + "\r\n"));
    EXPECT_EQ(encodeListFile({}, ListFileEncoding::Cp932), QByteArray());
}

TEST(TargetCadFile, LineEndings) {
    struct Case { QByteArray bytes; QStringList lines; };
    const Case cases[] = {{"a\tb\r\nc\td\r\n", {"a\tb", "c\td"}},
                          {"a\tb\r\nc\td", {"a\tb", "c\td"}},
                          {"a\nb\rc\r\n", {"a", "b", "c"}},
                          {"a\r\n\r\nb\r\n", {"a", "", "b"}},  // every line is an entry
                          {"", {}},
                          {"\xEF\xBB\xBF", {}}};
    for (const Case& c : cases) EXPECT_EQ(decodeListFile(c.bytes).lines, c.lines) << c.bytes.toStdString();
}

TEST_F(TargetCadList, NoFileKeepsTheListAndCreatesACodePageFileOnTheFirstChange) {
    TTargetCadList list(path());
    list.show(QStringLiteral("BricscadApp.AcadApplication"));
    EXPECT_TRUE(list.rows.isEmpty());
    EXPECT_EQ(list.selected, -1);
    EXPECT_EQ(list.name, "");
    EXPECT_EQ(list.progId, "");
    list.name = QStringLiteral("図研 CAD");
    list.progId = QStringLiteral("Zuken.Application");
    list.add();
    EXPECT_EQ(fileBytes(), toCp932(QStringLiteral("図研 CAD\tZuken.Application\r\n")));
    // The file disappears; the rows stay as the dialog had them.
    ASSERT_TRUE(QFile::remove(path()));
    list.name = "x";
    list.show(QStringLiteral("Zuken.Application"));
    EXPECT_EQ(list.rows, QStringList{QStringLiteral("図研 CAD\tZuken.Application")});
    EXPECT_EQ(list.selected, 0);
    EXPECT_EQ(list.name, QStringLiteral("図研 CAD"));
}

TEST_F(TargetCadList, LoadSortsIgnoringCaseAndPreselectsByProgIdPrefix) {
    writeFile(encodeListFile({kZwCad, "bricsCAD V23\tBricscadApp.AcadApplication.23.0", kAutoCad, "Plain.NoName"},
                             ListFileEncoding::Cp932));
    TTargetCadList list(path());
    list.show(QStringLiteral("BricscadApp.AcadApplication"));
    EXPECT_EQ(list.rows, (QStringList{kAutoCad, "bricsCAD V23\tBricscadApp.AcadApplication.23.0", "Plain.NoName", kZwCad}));
    EXPECT_EQ(list.selected, 1);
    EXPECT_EQ(list.name, "bricsCAD V23");
    EXPECT_EQ(list.progId, "BricscadApp.AcadApplication.23.0");
    // Case matters in the pre-selection; without a match the edit boxes stay.
    list.show(QStringLiteral("bricscadapp.acadapplication"));
    EXPECT_EQ(list.selected, -1);
    EXPECT_EQ(list.name, "bricsCAD V23");
}

TEST_F(TargetCadList, TwoRowsSelectTheBricsCadTarget) {
    writeFile(encodeListFile({kBricsCad, kAutoCad}, ListFileEncoding::Cp932));
    TTargetCadList list(path());
    list.show(QStringLiteral("BricscadApp.AcadApplication"));
    EXPECT_EQ(list.rows, (QStringList{kAutoCad, kBricsCad}));
    EXPECT_EQ(list.selected, 1);
    EXPECT_EQ(list.name, "BricsCAD");
    EXPECT_EQ(list.progId, "BricscadApp.AcadApplication");
}

TEST_F(TargetCadList, AddInsertsAtTheSortedPlaceAndWritesAtOnce) {
    TTargetCadList list = listOf({kAutoCad, kZwCad});
    list.name = "bricsCAD";
    list.progId = "B.App";
    list.add();
    EXPECT_EQ(list.rows, (QStringList{kAutoCad, "bricsCAD\tB.App", kZwCad}));
    EXPECT_EQ(list.selected, 1);
    list.add();  // duplicates are allowed
    EXPECT_EQ(list.rows.count("bricsCAD\tB.App"), 2);
    EXPECT_EQ(list.selected, 1);
    EXPECT_EQ(decodeListFile(fileBytes()).lines, list.rows);
    EXPECT_TRUE(fileBytes().endsWith("\r\n"));
}

TEST_F(TargetCadList, DeleteSelectsTheFollowingOrThePreviousRow) {
    struct Case { int remove; int selected; const char* name; };
    const Case cases[] = {{1, 1, "ZWCAD"}, {2, 1, "BricsCAD"}, {0, 0, "BricsCAD"}};
    for (const Case& c : cases) {
        TTargetCadList list = listOf({kAutoCad, kBricsCad, kZwCad});
        list.select(c.remove);
        list.remove();
        EXPECT_EQ(list.rows.size(), 2);
        EXPECT_EQ(list.selected, c.selected) << c.remove;
        EXPECT_EQ(list.name, c.name) << c.remove;
        EXPECT_EQ(decodeListFile(fileBytes()).lines, list.rows);
    }
}

TEST_F(TargetCadList, DeletingTheOnlyRowLeavesNothingSelectedAndAnEmptyFile) {
    TTargetCadList list = listOf({kBricsCad});
    list.select(0);
    list.remove();
    EXPECT_TRUE(list.rows.isEmpty());
    EXPECT_EQ(list.selected, -1);
    EXPECT_EQ(list.name, "");
    EXPECT_EQ(list.progId, "");
    EXPECT_TRUE(QFile::exists(path()));
    EXPECT_EQ(fileBytes(), QByteArray());
}

TEST_F(TargetCadList, DeleteAndChangeWithoutSelectionDoNothing) {
    TTargetCadList list = listOf({kAutoCad, kBricsCad});
    const QByteArray before = fileBytes();
    ASSERT_EQ(list.selected, -1);
    list.name = "n";
    list.progId = "p";
    list.remove();
    list.change();
    EXPECT_EQ(list.rows, (QStringList{kAutoCad, kBricsCad}));
    EXPECT_EQ(list.name, "n");
    EXPECT_EQ(fileBytes(), before);
}

TEST_F(TargetCadList, ChangeKeepsThePositionUntilTheNextLoad) {
    TTargetCadList list = listOf({kAutoCad, kBricsCad, kZwCad});
    list.select(0);
    list.name = "Zz last";
    list.progId = "Z.App";
    list.change();
    EXPECT_EQ(list.rows, (QStringList{"Zz last\tZ.App", kBricsCad, kZwCad}));
    EXPECT_EQ(list.selected, 0);
    EXPECT_EQ(decodeListFile(fileBytes()).lines, list.rows);
    list.show(QStringLiteral("Z.App"));
    EXPECT_EQ(list.rows, (QStringList{kBricsCad, kZwCad, "Zz last\tZ.App"}));
    EXPECT_EQ(list.selected, 2);
}

TEST_F(TargetCadList, FilesWithAndWithoutByteOrderMarkSurviveAChange) {
    const QStringList rows{QStringLiteral("図面ソフト\tDraw.Application"), QStringLiteral("作図君\tSakuzu.App.2")};
    for (ListFileEncoding enc : {ListFileEncoding::Utf16LeBom, ListFileEncoding::Utf16BeBom, ListFileEncoding::Utf8Bom,
                                 ListFileEncoding::Cp932}) {
        writeFile(encodeListFile(rows, enc));
        TTargetCadList list(path());
        list.show(QStringLiteral("Sakuzu.App"));
        ASSERT_EQ(list.selected, 0) << int(enc);  // 作 (U+4F5C) sorts before 図 (U+56F3)
        EXPECT_EQ(list.name, QStringLiteral("作図君"));
        list.name = QStringLiteral("作図君 改");
        list.change();
        const ListFileText back = decodeListFile(fileBytes());
        EXPECT_EQ(back.encoding, enc);
        EXPECT_EQ(back.lines, (QStringList{QStringLiteral("作図君 改\tSakuzu.App.2"),
                                           QStringLiteral("図面ソフト\tDraw.Application")}));
    }
}

TEST_F(TargetCadList, FailedWriteThrowsAndTheListKeepsTheChange) {
    // A folder in the file's place cannot be replaced by a file.
    ASSERT_TRUE(QDir(dir.path()).mkdir("TargetCAD_APIVersion.txt"));
    TTargetCadList list(path());
    list.rows = {kAutoCad};
    list.name = "New";
    list.progId = "New.App";
    EXPECT_THROW(list.add(), std::runtime_error);
    EXPECT_EQ(list.rows, (QStringList{kAutoCad, "New\tNew.App"}));
    EXPECT_EQ(list.selected, 1);
}
