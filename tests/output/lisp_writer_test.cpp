// The LISP batch file byte for byte: its fixed program, the data lines and
// their escaping, and the command that loads it.
#include "output/CodePage.h"
#include "output/LspBatchWriter.h"
#include "results/ResultReader.h"
#include "tests/support/ResultRows.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Row {
    QString text, height = QStringLiteral("2.500"), angle = QStringLiteral("0.0"), x = QStringLiteral("10.000"),
                  y = QStringLiteral("20.000"), width = QStringLiteral("8.00");
};

TGridModel tableOf(const QList<Row>& rows)
{
    TGridModel grid;
    setupResultHeader(grid);
    grid.setRowCount(int(rows.size()) + 1);
    for (int r = 1; r <= rows.size(); ++r) {
        setResultRow(grid, r, rows[r - 1]);
    }
    return grid;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

const LspColours kColours{30, 1, QStringLiteral("?")};

// The fixed program as a CAD gets it, 30 lines with CR LF, TextAci 30.
const QByteArray kFixedProgram =
    "(defun c:FAST_TEXT (lst / doc ms layers item obj minp maxp strw txw insPt layobj aci)\r\n"
    "  (setq doc (vla-get-activedocument (vlax-get-acad-object)))\r\n"
    "  (setq ms (vla-get-modelspace doc))\r\n"
    "  (setq layers (vla-get-layers doc))\r\n"
    "  (setq layerObj (vla-add layers \"MIRTEX\"))\r\n"
    "  (vla-put-color layerObj 30)\r\n"
    "  (foreach item lst\r\n"
    "    (setq aci (nth 6 item))\r\n"
    "    (setq insPt (vlax-3d-point (list (nth 0 item) (nth 1 item) 0)))\r\n"
    "    (setq obj (vla-addtext ms (nth 2 item) insPt (nth 3 item)))\r\n"
    "    (vla-put-layer obj \"MIRTEX\")\r\n"
    "    (if (< aci 256)(vla-put-color obj aci))\r\n"
    "    (vla-put-rotation obj (nth 5 item))\r\n"
    "    (vla-put-alignment obj 9)\r\n"
    "    (vla-put-textalignmentpoint obj insPt)\r\n"
    "    (vla-put-insertionpoint obj insPt)\r\n"
    "    (vla-getboundingbox obj 'minp 'maxp)\r\n"
    "    (setq strw (- (car (vlax-safearray->list maxp)) (car (vlax-safearray->list minp))))\r\n"
    "    (if (> strw 0.0)\r\n"
    "      (progn\r\n"
    "        (setq txw (/ (nth 4 item) strw))\r\n"
    "        (setq txw (/ (fix (* txw 100.0)) 100.0))\r\n"
    "        (if (> txw 1.0)(setq txw 1.0))\r\n"
    "        (vla-put-scalefactor obj txw)\r\n"
    "      )\r\n"
    "    )\r\n"
    "  )\r\n"
    "  (princ)\r\n"
    ")\r\n"
    "(c:FAST_TEXT '(\r\n";

class LispWriter : public ::testing::Test {
protected:
    QString path() const { return m_dir.filePath(QStringLiteral("MIRTEX.lsp")); }
    QTemporaryDir m_dir;
};

}  // namespace

TEST_F(LispWriter, AllBlankTableGivesTheFixedProgramAndTheClosingLine)
{
    const TGridModel grid = tableOf({{QStringLiteral("")}, {QStringLiteral("  \t ")}});
    EXPECT_EQ(makeOcrLsp(path(), grid, {}, kColours), 0);
    EXPECT_EQ(readAll(path()), kFixedProgram + "))\r\n");
    EXPECT_EQ(lspFixedLines(30).size(), 30);
}

TEST_F(LispWriter, LayerColourOfLineSixIsTheOneGiven)
{
    EXPECT_EQ(lspFixedLines(7).at(5), QStringLiteral("  (vla-put-color layerObj 7)"));
    EXPECT_EQ(lspFixedLines(255).at(5), QStringLiteral("  (vla-put-color layerObj 255)"));
}

TEST_F(LispWriter, DataLinesFollowTheRowsSkippingBlankTexts)
{
    const TGridModel grid = tableOf({
        {QStringLiteral(" 平面図 "), QStringLiteral(" 3.125 "), QStringLiteral("90.0"), QStringLiteral(" 1.5 "),
         QStringLiteral("-2.25"), QStringLiteral(" 40.50 ")},
        {QStringLiteral(" ")},
        {QStringLiteral("AB"), QStringLiteral("2.500"), QStringLiteral("0.0"), QStringLiteral("0.000"),
         QStringLiteral("0.000"), QStringLiteral("12.00")},
    });
    EXPECT_EQ(makeOcrLsp(path(), grid, {}, kColours), 2);
    EXPECT_EQ(readAll(path()), kFixedProgram + toCp932(QStringLiteral("(1.5 -2.25 \"平面図\" 3.125 40.50 1.571 256)\r\n"))
                                   + "(0.000 0.000 \"AB\" 2.500 12.00 0.000 256)\r\n))\r\n");
}

TEST_F(LispWriter, FixedHeightReplacesEveryRowsHeightAsText)
{
    const TGridModel grid = tableOf({{QStringLiteral("A"), QStringLiteral("7.000")}, {QStringLiteral("B"), QStringLiteral("x")}});
    makeOcrLsp(path(), grid, QStringLiteral("3"), kColours);
    EXPECT_EQ(readAll(path()), kFixedProgram + "(10.000 20.000 \"A\" 3 8.00 0.000 256)\r\n"
                                               "(10.000 20.000 \"B\" 3 8.00 0.000 256)\r\n))\r\n");
}

TEST_F(LispWriter, RotationItemInRadiansWithThreeDecimals)
{
    struct Case { QString angle, item; };
    for (const Case& c : {Case{"90.0", "1.571"}, Case{"0.0", "0.000"}, Case{"270", "4.712"}, Case{"abc", "0.000"},
                          Case{" 45 ", "0.785"}}) {
        Row row{QStringLiteral("T")};
        row.angle = c.angle;
        EXPECT_EQ(lspDataLine(tableOf({row}), 1, {}, kColours),
                  QStringLiteral("(10.000 20.000 \"T\" 2.500 8.00 %1 256)").arg(c.item))
            << c.angle.toStdString();
    }
}

// Numbers the LISP reader would refuse, and cells that are no numbers, take
// plain decimals or their defaults: one bad cell must neither stop the program
// at its row nor end the quoted list and run the rest of the cell.
TEST_F(LispWriter, NumericItemsArePlainDecimalsOrTheirDefaults)
{
    Row row{QStringLiteral("T"), QStringLiteral("nan"), QStringLiteral("0"), QStringLiteral("1e309"),
            QStringLiteral("0)) (command \"_ERASE\" \"_ALL\" \"\") (("), QStringLiteral(" .5 ")};
    EXPECT_EQ(lspDataLine(tableOf({row}), 1, {}, kColours), QStringLiteral("(0.0 0.0 \"T\" 2.5 0.5 0.000 256)"));
    row = Row{QStringLiteral("T"), QStringLiteral(" 12 "), QStringLiteral("0"), QStringLiteral("-0"),
              QStringLiteral("1e5"), QStringLiteral("12345678901")};
    EXPECT_EQ(lspDataLine(tableOf({row}), 1, {}, kColours),
              QStringLiteral("(-0 100000.0 \"T\" 12 12345678901.0 0.000 256)"));
    EXPECT_EQ(lspDataLine(tableOf({row}), 1, QStringLiteral("3)(princ"), kColours),
              QStringLiteral("(-0 100000.0 \"T\" 2.5 12345678901.0 0.000 256)"));
    // No positive width: a width beyond any text keeps the natural width (a factor of 0 is refused).
    for (const char* width : {"", "0", "-3", "abc", "1e309"}) {
        row = Row{QStringLiteral("T"), QStringLiteral("2.5"), QStringLiteral("0"), QStringLiteral("1"),
                  QStringLiteral("2"), QString::fromLatin1(width)};
        EXPECT_EQ(lspDataLine(tableOf({row}), 1, {}, kColours),
                  QStringLiteral("(1 2 \"T\" 2.5 1.0e30 0.000 256)")) << width;
    }
}

TEST_F(LispWriter, TextsAreEscapedSoTheReaderGivesThemBack)
{
    struct Case { QString text, written; };
    const Case cases[] = {
        {QStringLiteral("a\"b"), QStringLiteral("a\\\"b")},
        {QStringLiteral("C:\\Tools"), QStringLiteral("C:\\\\Tools")},
        {QStringLiteral("\\\""), QStringLiteral("\\\\\\\"")},
        {QStringLiteral("one\ntwo\rthree\tfour"), QStringLiteral("one\\ntwo\\rthree\\tfour")},
        {QStringLiteral("a") + QChar(0x01) + QChar(0x1B) + QChar(0x7F) + QStringLiteral("b"),
         QStringLiteral("a\\001\\033\\177b")},
        {QStringLiteral("plain 文字 ?"), QStringLiteral("plain 文字 ?")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(escapeLispString(c.text), c.written) << c.text.toStdString();
        EXPECT_EQ(lspDataLine(tableOf({{c.text}}), 1, {}, {30, 1, {}}),
                  QStringLiteral("(10.000 20.000 \"") + c.written + QStringLiteral("\" 2.500 8.00 0.000 256)"));
    }
}

TEST_F(LispWriter, AttentionTextsGetTheAttentionColour)
{
    const TGridModel grid = tableOf({{QStringLiteral("A?B")}, {QStringLiteral("AB")}, {QStringLiteral("xéy")}});
    EXPECT_TRUE(lspDataLine(grid, 1, {}, {30, 5, QStringLiteral(" ? ")}).endsWith(QStringLiteral(" 5)")));
    EXPECT_TRUE(lspDataLine(grid, 2, {}, {30, 5, QStringLiteral(" ? ")}).endsWith(QStringLiteral(" 256)")));
    EXPECT_TRUE(lspDataLine(grid, 1, {}, {30, 5, {}}).endsWith(QStringLiteral(" 256)")));
    // Outside Shift_JIS: the file holds "?" and the text still gets the attention colour.
    makeOcrLsp(path(), tableOf({{QStringLiteral("xéy")}}), {}, {30, 5, {}});
    EXPECT_EQ(readAll(path()), kFixedProgram + "(10.000 20.000 \"x?y\" 2.500 8.00 0.000 5)\r\n))\r\n");
}

TEST_F(LispWriter, OldFileIsReplacedAndAFailureThrows)
{
    QFile old(path());
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(5000, 'x'));
    old.close();
    makeOcrLsp(path(), tableOf({}), {}, kColours);
    EXPECT_EQ(readAll(path()), kFixedProgram + "))\r\n");

    // A folder where the file should be cannot be written.
    const QString blocked = m_dir.filePath(QStringLiteral("blocked.lsp"));
    ASSERT_TRUE(QDir().mkpath(blocked + QStringLiteral("/inner")));
    EXPECT_THROW(makeOcrLsp(blocked, tableOf({}), {}, kColours), std::runtime_error);
}

TEST(LispLoadCommand, QuotedPathWithBackslashesDoubledThenPrincAndEnter)
{
    EXPECT_EQ(lispLoadCommand(QStringLiteral("C:\\Tools\\MIRTEX.lsp")),
              QStringLiteral("(load \"C:\\\\Tools\\\\MIRTEX.lsp\")(princ)\r"));
    EXPECT_EQ(lispLoadCommand(QStringLiteral("/opt/mirtex/MIRTEX.lsp")),
              QStringLiteral("(load \"/opt/mirtex/MIRTEX.lsp\")(princ)\r"));
    // A double quote in a folder name cannot end the string early.
    EXPECT_EQ(lispLoadCommand(QStringLiteral("/tmp/a\"b/MIRTEX.lsp")),
              QStringLiteral("(load \"/tmp/a\\\"b/MIRTEX.lsp\")(princ)\r"));
}
