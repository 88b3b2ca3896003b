#include "output/DxfTextWriter.h"
#include "output/CodePage.h"
#include "results/GridModel.h"
#include "tests/support/ResultRows.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Row {
    QString text, height, angle, x, y, width;
};

TGridModel tableOf(const QList<Row>& rows) {
    TGridModel grid(9, int(rows.size()) + 1);
    for (int r = 1; r <= rows.size(); ++r) {
        setResultRow(grid, r, rows[r - 1]);
    }
    return grid;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// The value lines of the TEXT entities, by group code, one map per entity.
QList<QMap<QString, QString>> textEntities(const QStringList& lines) {
    QList<QMap<QString, QString>> out;
    bool inText = false;
    for (qsizetype i = 0; i + 1 < lines.size(); i += 2) {
        const QString code = lines[i].trimmed();
        if (code == QLatin1String("0")) {
            inText = lines[i + 1] == QLatin1String("TEXT");
            if (inText) out.append(QMap<QString, QString>());
        } else if (inText) {
            out.last()[code] = lines[i + 1];
        }
    }
    return out;
}

const QString kHeaderAndStyle = QStringLiteral(
    "  0\r\nSECTION\r\n  2\r\nHEADER\r\n  9\r\n$ACADVER\r\n  1\r\nAC1009\r\n  0\r\nENDSEC\r\n"
    "  0\r\nSECTION\r\n  2\r\nTABLES\r\n"
    "  0\r\nTABLE\r\n  2\r\nSTYLE\r\n 70\r\n     1\r\n"
    "  0\r\nSTYLE\r\n  2\r\nStandard\r\n 70\r\n     0\r\n 40\r\n0.0\r\n 41\r\n1.0\r\n 50\r\n0.0\r\n"
    " 71\r\n     0\r\n 42\r\n2.5\r\n  3\r\ntxt.shx\r\n  4\r\nbigfont.shx\r\n  0\r\nENDTAB\r\n"
    "  0\r\nENDSEC\r\n  0\r\nSECTION\r\n  2\r\nENTITIES\r\n");

}  // namespace

TEST(DxfTextWriter, GoldenFileSkipsBlankRowsAndEndsWithEofCrLf) {
    QTemporaryDir dir;
    const QString path = dir.filePath("temp.dxf");
    const QStringList ocr{"0: a", "1: b", "2: c"};
    TGridModel grid = tableOf({
        {" \t ", "2.5", "0", "1", "1", "10"},
        {QString::fromUtf8(" 図A "), "2.000", "90.0", "10.000", "-20.500", "1.6"},
    });
    EXPECT_EQ(makeOcrDxf(0, {ocr, grid, "?", 1}, path), 1);
    EXPECT_EQ(grid.RowCount(), 4);  // the recognised lines plus the header row
    const QString expected = kHeaderAndStyle + QStringLiteral(
        "  0\r\nTEXT\r\n  8\r\nMIRTEX\r\n  6\r\nBYLAYER\r\n 62\r\n256\r\n 48\r\n1.0\r\n"
        " 10\r\n11.000000000000\r\n 20\r\n-20.500000000000\r\n 40\r\n2.000000000000\r\n"
        "  1\r\n\u56F3A\r\n 50\r\n90.000000000000\r\n 41\r\n0.500000000000\r\n  7\r\nStandard\r\n"
        " 72\r\n0\r\n 73\r\n2\r\n 11\r\n10.000000000000\r\n 21\r\n-20.500000000000\r\n"
        "  0\r\nENDSEC\r\n  0\r\nEOF\r\n");
    EXPECT_EQ(readAll(path), toCp932(expected));
}

TEST(DxfTextWriter, NothingRecognisedWritesNoFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("temp.dxf");
    TGridModel grid = tableOf({{"kept", "2.5", "0", "0", "0", "0"}});
    EXPECT_EQ(makeOcrDxf(0, {QStringList{}, grid, "?", 1}, path), 0);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(grid.RowCount(), 2);
}

TEST(DxfTextWriter, UnwritablePathThrows) {
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("temp.dxf");
    TGridModel grid = tableOf({{"A", "2.5", "0", "0", "0", "0"}});
    EXPECT_THROW(makeOcrDxf(0, {QStringList{"0: A"}, grid, "?", 1}, dir.filePath("temp.dxf")), std::runtime_error);
}

// Point (10, 20), height 2: the first alignment point lies half a height
// towards the baseline; 90, 180, 270 and 360 degrees hit the exact cases.
TEST(DxfTextWriter, FirstAlignmentPointForEachAxisDirection) {
    struct Case {
        const char* angle;
        const char* x;
        const char* y;
    };
    for (const Case& c : {Case{"0", "10.000000000000", "19.000000000000"},
                          Case{"90", "11.000000000000", "20.000000000000"},
                          Case{"180", "10.000000000000", "21.000000000000"},
                          Case{"270", "9.000000000000", "20.000000000000"},
                          Case{"360", "10.000000000000", "19.000000000000"},
                          Case{"30", "10.500000000000", "19.133974596216"}}) {
        const auto e = textEntities(dxfFileLines(tableOf({{"T", "2", c.angle, "10", "20", "0"}}), 0, "", 1));
        ASSERT_EQ(e.size(), 1);
        EXPECT_EQ(e[0]["10"], c.x) << c.angle;
        EXPECT_EQ(e[0]["20"], c.y) << c.angle;
        EXPECT_EQ(e[0]["11"], "10.000000000000");
        EXPECT_EQ(e[0]["21"], "20.000000000000");
    }
    // The axis cases need no trigonometry: exact even far from the origin.
    const DxfPoint far{1e9, -1e9, 7};
    EXPECT_EQ(polarPoint(far, 1.5707963267948966, 0.25), (DxfPoint{1e9, -1e9 + 0.25, 7}));
    EXPECT_EQ(polarPoint(far, 4.71238898038469, 0.25), (DxfPoint{1e9, -1e9 - 0.25, 7}));
    EXPECT_EQ(polarPoint(far, 3.141592653589793, 0.25), (DxfPoint{1e9 - 0.25, -1e9, 7}));
    EXPECT_EQ(polarPoint(far, 0, 0.25), (DxfPoint{1e9 + 0.25, -1e9, 7}));
}

TEST(DxfTextWriter, WidthFactorFitsTheRowWidthWithinHalfToOne) {
    struct Case {
        const char* width;
        const char* height;
        const char* factor;
    };
    for (const Case& c : {Case{"30", "2.5", "1.000000000000"}, Case{"10", "2.5", "0.500000000000"},
                          Case{"20", "2.5", "0.800000000000"}, Case{"17.5", "2.5", "0.700000000000"},
                          Case{"0", "2.5", "0.800000000000"}, Case{"wide", "2.5", "0.800000000000"},
                          Case{"-5", "2.5", "0.800000000000"}, Case{"20", "0", "1.000000000000"}}) {
        const auto e = textEntities(dxfFileLines(tableOf({{"0123456789", c.height, "0", "0", "0", c.width}}), 0, "", 1));
        ASSERT_EQ(e.size(), 1);
        EXPECT_EQ(e[0]["41"], c.factor) << c.width << " / " << c.height;
    }
}

TEST(DxfTextWriter, FixedHeightReplacesEveryRowsHeight) {
    const TGridModel grid = tableOf({{"0123456789", "7", "0", "0", "0", "24"}, {"B", "x", "0", "0", "0", "0"}});
    const auto fixed = textEntities(dxfFileLines(grid, 3.0, "", 1));
    ASSERT_EQ(fixed.size(), 2);
    EXPECT_EQ(fixed[0]["40"], "3.000000000000");
    EXPECT_EQ(fixed[0]["41"], "0.800000000000");  // 24 / 10 / 3
    EXPECT_EQ(fixed[0]["20"], "-1.500000000000");
    EXPECT_EQ(fixed[1]["40"], "3.000000000000");
    const auto own = textEntities(dxfFileLines(grid, 0, "", 1));
    EXPECT_EQ(own[0]["40"], "7.000000000000");
    EXPECT_EQ(own[0]["41"], "0.500000000000");
    EXPECT_EQ(own[1]["40"], "2.500000000000");  // not a number: 2.5
}

TEST(DxfTextWriter, AttentionTextsTakeTheAttentionColour) {
    QTemporaryDir dir;
    const QString path = dir.filePath("temp.dxf");
    const QStringList ocr{"0", "1", "2", "3"};
    TGridModel grid = tableOf({{"plain", "2.5", "0", "0", "0", "0"},
                               {QString::fromUtf8("caf\u00E9"), "2.5", "0", "0", "0", "0"},
                               {"A?B", "2.5", "0", "0", "0", "0"},
                               {QString::fromUtf8("\u2460 \\ \""), "2.5", "0", "0", "0", "0"}});
    ASSERT_EQ(makeOcrDxf(0, {ocr, grid, " ? ", 5}, path), 4);
    const QStringList lines = fromCp932(readAll(path)).split(QStringLiteral("\r\n"));
    const auto e = textEntities(lines);
    ASSERT_EQ(e.size(), 4);
    EXPECT_EQ(e[0]["62"], "256");
    EXPECT_EQ(e[1]["62"], "5");
    EXPECT_EQ(e[1]["1"], "caf?");  // code page 932 has no e with acute accent
    EXPECT_EQ(e[2]["62"], "5");
    EXPECT_EQ(e[2]["1"], "A?B");
    EXPECT_EQ(e[3]["62"], "256");  // circled one, backslash and quote are written as they are
    EXPECT_EQ(e[3]["1"], QString::fromUtf8("\u2460 \\ \""));
}

// A line break inside a text would split its value line and shift every
// group code after it; control characters inside are written as blanks.
TEST(DxfTextWriter, ControlCharactersInsideATextBecomeBlanks) {
    const QString cell = QStringLiteral("\tA\nB\r\nC\x7f" "D\u0085E\n");
    EXPECT_EQ(dxfTextValue(cell), QStringLiteral("A B  C D E"));
    const QStringList lines = dxfFileLines(tableOf({{cell, "2.5", "0", "0", "0", "15"}}), 0, "", 1);
    const auto e = textEntities(lines);
    ASSERT_EQ(e.size(), 1);
    EXPECT_EQ(e[0]["1"], QStringLiteral("A B  C D E"));
    EXPECT_EQ(e[0]["41"], "0.600000000000");  // 15 / 10 characters / 2.5
    for (const QString& l : lines)
        for (QChar c : l) EXPECT_NE(c.category(), QChar::Other_Control) << l.toStdString();
}

// Another reader of DXF files, ezdxf, sees the same entities and finds no fault.
TEST(DxfTextWriter, EzdxfReadsTheFileAndItsAuditFindsNoError) {
    QTemporaryDir dir;
    const QString path = dir.filePath("temp.dxf");
    const QStringList ocr{"0", "1", "2"};
    TGridModel grid = tableOf({{QString::fromUtf8("平面図 S=1/100"), "3.5", "0", "12.5", "40", "30"},
                               {QString::fromUtf8("caf\u00E9"), "2", "90", "-3", "7.25", "0"},
                               {"GL+1,200", "2.5", "33.5", "100", "-50", "100"}});
    ASSERT_EQ(makeOcrDxf(0, {ocr, grid, "?", 1}, path), 3);
    const char* script = R"PY(
import sys, json, ezdxf
doc = ezdxf.readfile(sys.argv[1], encoding='cp932')
auditor = doc.audit()
out = {'errors': len(auditor.errors), 'texts': []}
for e in doc.modelspace():
    d = e.dxf
    out['texts'].append({'type': e.dxftype(), 'layer': d.layer, 'text': d.text, 'x': d.align_point[0],
                         'y': d.align_point[1], 'height': d.height, 'rotation': d.rotation,
                         'width': d.width, 'colour': d.color, 'halign': d.halign, 'valign': d.valign,
                         'style': d.style})
print(json.dumps(out))
)PY";
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromLatin1(script), path});
    ASSERT_TRUE(python.waitForFinished(60000));
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    const QJsonObject out = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
    EXPECT_EQ(out["errors"].toInt(-1), 0);
    const QJsonArray texts = out["texts"].toArray();
    ASSERT_EQ(texts.size(), 3);
    struct Want {
        QString text;
        double x, y, height, rotation, width;
        int colour;
    };
    const QList<Want> want{{QString::fromUtf8("平面図 S=1/100"), 12.5, 40, 3.5, 0, 30 / 11.0 / 3.5, 256},
                           {"caf?", -3, 7.25, 2, 90, 0.8, 1},
                           {"GL+1,200", 100, -50, 2.5, 33.5, 1.0, 256}};
    for (int i = 0; i < 3; ++i) {
        const QJsonObject t = texts[i].toObject();
        EXPECT_EQ(t["type"].toString(), "TEXT");
        EXPECT_EQ(t["layer"].toString(), "MIRTEX");
        EXPECT_EQ(t["style"].toString(), "Standard");
        EXPECT_EQ(t["text"].toString(), want[i].text);
        EXPECT_NEAR(t["x"].toDouble(), want[i].x, 1e-9);
        EXPECT_NEAR(t["y"].toDouble(), want[i].y, 1e-9);
        EXPECT_NEAR(t["height"].toDouble(), want[i].height, 1e-9);
        EXPECT_NEAR(t["rotation"].toDouble(), want[i].rotation, 1e-9);
        EXPECT_NEAR(t["width"].toDouble(), want[i].width, 1e-9);
        EXPECT_EQ(t["colour"].toInt(), want[i].colour);
        EXPECT_EQ(t["halign"].toInt(-1), 0);
        EXPECT_EQ(t["valign"].toInt(-1), 2);
    }
}
