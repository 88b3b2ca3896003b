// Hostile input through the real main window: table cells no recognition
// would give (a text of 100,000 characters, control characters, lone
// surrogates, emoji, numbers that overflow or are not numbers) through every
// road into a real CAD host and through the bulk edits; a huge clipboard and
// one holding only an image. Nothing may crash or hang, every written file is
// well-formed, and every number is read as written or takes its default.
#include "MainWindowE2E.h"
#include "tests/support/QtTestSupport.h"
#include "app/AppPaths.h"
#include "output/CodePage.h"
#include "output/DxfTextWriter.h"
#include "results/CellNumbers.h"
#include "results/nTextTikanUnit.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <cmath>

namespace {

const QString kMirtex = QStringLiteral("MIRTEX");

// A hostile row, the words its text begins and ends with (what must arrive
// whole), and the numbers its cells stand for.
struct HostileRow {
    TableRow cells;
    QString first, last;
    double height, degrees, x, y;
};

QString withChar(const char* a, char16_t c, const char* b)
{
    return QString::fromUtf8(a) + QChar(c) + QString::fromUtf8(b);
}

const QList<HostileRow>& hostileRows()
{
    static const QList<HostileRow> rows{
        {{QStringLiteral("長い文字列").repeated(20000), "2.5", "0", "10", "20", "0"}, "長い", "文字列", 2.5, 0, 10, 20},
        {{withChar("NUL", 0, " inside"), "1e309", "nan", "-0", " 12 ", "nan"}, "NUL", "inside", 2.5, 0, 0, 12},
        {{QStringLiteral("CR\rLF\nTAB\tend"), "nan", "1e309", " 12 ", "-0", "1e309"}, "CR", "end", 2.5, 0, 12, 0},
        {{withChar("lone ", 0xD800, " high") + QChar(0xDC00) + QStringLiteral(" low"), " 12 ", "-0", "nan", "1e309", " 12 "},
         "lone", "low", 12, 0, 0, 0},
        {{QStringLiteral("emoji \U0001F600 絵文字"), "2.5", " 12 ", "1e309", "nan", "-0"}, "emoji", "絵文字", 2.5, 12, 0, 0},
    };
    return rows;
}

QList<TableRow> hostileCells()
{
    QList<TableRow> out;
    for (const HostileRow& r : hostileRows()) out << r.cells;
    return out;
}

double coord(const QJsonObject& e, const char* key, int i) { return e[QLatin1String(key)].toArray()[i].toDouble(); }

// The DXF file as ezdxf reads it: its audit's error count and its TEXT entities.
QJsonObject readWithEzdxf(const QString& path)
{
    const char* script = R"PY(
import sys, json, ezdxf
doc = ezdxf.readfile(sys.argv[1], encoding='cp932')
out = {'errors': len(doc.audit().errors), 'texts': []}
for e in doc.modelspace().query('TEXT'):
    d = e.dxf
    out['texts'].append({'text': d.text, 'x': d.align_point[0], 'y': d.align_point[1], 'height': d.height,
                         'rotation': d.rotation})
print(json.dumps(out))
)PY";
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromLatin1(script), path});
    if (!python.waitForFinished(60000) || python.exitCode() != 0) {
        ADD_FAILURE() << python.readAllStandardError().toStdString();
        return {};
    }
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

enum class Road { Dxf, Direct, Lisp };

class HostileInputE2E : public MainWindowE2E {};

class HostileRoadE2E : public HostileInputE2E, public ::testing::WithParamInterface<Road> {};

// Every row arrives in the drawing with its text whole (as far as the CAD
// keeps it) and its numbers as read, or their defaults.
TEST_P(HostileRoadE2E, EveryRowArrivesWithItsNumbersOrTheirDefaults)
{
    const Road road = GetParam();
    startHost(road == Road::Dxf ? "HostileDxf" : road == Road::Lisp ? "HostileLisp" : "HostileDirect");
    openWindow();
    form->CheckBox8->setChecked(road == Road::Lisp);
    fillTable(hostileCells());
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(road == Road::Dxf ? form->Button1 : form->Button9, Qt::LeftButton);
    const QList<HostileRow>& rows = hostileRows();
    ASSERT_TRUE(waitForTexts(kMirtex, rows.size(), 15000)) << m_host.commandLog().right(2000).toStdString();
    EXPECT_LT(clock.elapsed(), 15000);
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join('|').left(500).toStdString();

    const QList<QJsonObject> texts = textsOn(kMirtex);
    for (int i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].first.toStdString());
        const QJsonObject& e = texts[i];
        const QString text = e[QStringLiteral("text")].toString();
        EXPECT_TRUE(text.startsWith(rows[i].first)) << text.left(80).toStdString();
        if (i > 0) EXPECT_TRUE(text.endsWith(rows[i].last)) << text.toStdString();
        EXPECT_GE(text.size(), std::min<qsizetype>(1000, rows[i].cells.text.size() - 4));
        EXPECT_DOUBLE_EQ(e[QStringLiteral("height")].toDouble(), rows[i].height);
        EXPECT_NEAR(e[QStringLiteral("rotation")].toDouble(), rows[i].degrees * M_PI / 180, 1e-3);
        EXPECT_NEAR(coord(e, "alignmentPoint", 0), rows[i].x, 1e-9);
        EXPECT_NEAR(coord(e, "alignmentPoint", 1), rows[i].y, 1e-9);
    }

    if (road == Road::Dxf) {
        // ezdxf reads the very file the CAD inserted: well-formed, every text whole.
        const QJsonObject read = readWithEzdxf(AppPaths::inExeFolder(QStringLiteral("temp.dxf")));
        EXPECT_EQ(read[QStringLiteral("errors")].toInt(-1), 0);
        const QJsonArray dxfTexts = read[QStringLiteral("texts")].toArray();
        ASSERT_EQ(dxfTexts.size(), rows.size());
        for (int i = 0; i < rows.size(); ++i) {
            const QJsonObject t = dxfTexts[i].toObject();
            EXPECT_EQ(t[QStringLiteral("text")].toString(), fromCp932(toCp932(dxfTextValue(rows[i].cells.text))));
            EXPECT_DOUBLE_EQ(t[QStringLiteral("height")].toDouble(), rows[i].height);
            EXPECT_NEAR(t[QStringLiteral("rotation")].toDouble(), rows[i].degrees, 1e-9);
            EXPECT_NEAR(t[QStringLiteral("x")].toDouble(), rows[i].x, 1e-9);
            EXPECT_NEAR(t[QStringLiteral("y")].toDouble(), rows[i].y, 1e-9);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Roads, HostileRoadE2E, ::testing::Values(Road::Dxf, Road::Direct, Road::Lisp),
                         [](const auto& info) {
                             return info.param == Road::Dxf ? std::string("Dxf")
                                                            : info.param == Road::Lisp ? std::string("Lisp")
                                                                                       : std::string("Direct");
                         });

// The rounding steps, the replace and the header sorts over hostile cells: a
// step that is not a usable number changes nothing; every rounded cell holds a
// number; the replace and its undo work on the longest text.
TEST_F(HostileInputE2E, BulkEditsKeepEveryCellANumberOrAsItWas)
{
    openWindow();
    fillTable(hostileCells());
    const QStringList unusable{"nan", "1e309", "-0", "", "abc", " 0 "};
    for (const QString& step : unusable) {
        form->Edit1->setText(step);
        form->Edit3->setText(step);
        QTest::mouseClick(form->Button3, Qt::LeftButton);
        QTest::mouseClick(form->Button7, Qt::LeftButton);
    }
    for (int r = 1; r < form->Grid.RowCount(); ++r) {
        const TableRow& cells = hostileRows()[r - 1].cells;
        EXPECT_EQ(form->Grid.cell(3, r), cells.angle);
        EXPECT_EQ(form->Grid.cell(4, r), cells.x);
        EXPECT_EQ(form->Grid.cell(5, r), cells.y);
    }

    // Steps so small that a quotient overflows, then an ordinary one.
    for (const QString& step : {QStringLiteral("1e-320"), QStringLiteral("1e-300"), QStringLiteral(" 5 ")}) {
        form->Edit1->setText(step);
        form->Edit3->setText(step);
        QTest::mouseClick(form->Button3, Qt::LeftButton);
        QTest::mouseClick(form->Button7, Qt::LeftButton);
        for (int r = 1; r < form->Grid.RowCount(); ++r)
            for (int c : {3, 4, 5}) {
                const QString cell = form->Grid.cell(c, r);
                EXPECT_EQ(parseLenientNumber(cell, -1e300), parseLenientNumber(cell, 1e300))
                    << "step " << step.toStdString() << " row " << r << " col " << c << ": " << cell.toStdString();
            }
    }
    for (int r = 1; r < form->Grid.RowCount(); ++r) {
        const double angle = parseLenientNumber(form->Grid.cell(3, r), -1);
        EXPECT_GE(angle, 0);
        EXPECT_LT(angle, 360);
        EXPECT_EQ(std::fmod(angle, 5), 0) << r;
    }

    // 文字列置換 inside the 100,000-character text with a hostile replacement, then Ctrl+Z.
    TnTextTikanForm replaceDialog(form.get());
    const QString longText = form->Grid.cell(1, 1);
    const QString replacement = withChar("\U0001F600", 0, "x") + QChar(0xD800);
    form->Grid.setCurrent(1, 1);
    QTimer::singleShot(0, [&] {
        if (!waitUntil([&] { return replaceDialog.isVisible(); }, 5000)) return replaceDialog.reject();
        replaceDialog.Edit1->setText(QStringLiteral("文字列"));
        replaceDialog.Edit2->setText(replacement);
        replaceDialog.accept();
    });
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(form->Button12, Qt::LeftButton);
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_EQ(form->Grid.cell(1, 1), QString(longText).replace(QStringLiteral("文字列"), replacement));
    EXPECT_TRUE(form->Memo1->toPlainText().contains(QStringLiteral("1 個の文字列を置換しました．")));
    QTest::keyClick(form->StringGrid1, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(form->Grid.cell(1, 1), longText);

    for (int col = 0; col <= 8; ++col) form->StringGrid1FixedCellClick(col, 0);
    EXPECT_EQ(form->Grid.RowCount(), hostileRows().size() + 1);
    QStringList texts;
    for (int r = 1; r < form->Grid.RowCount(); ++r) texts << form->Grid.cell(1, r);
    for (const HostileRow& row : hostileRows()) EXPECT_TRUE(texts.contains(row.cells.text));
    EXPECT_TRUE(boxes.isEmpty());
}

// Ctrl+V in the grid: a 5 MB text is pasted, an image alone is ignored, each
// within a second.
TEST_F(HostileInputE2E, HugeOrImageOnlyClipboardIsPastedOrIgnoredWithinASecond)
{
    openWindow();
    fillTable(hostileCells());
    QString huge;
    huge.reserve(5'000'000);
    for (int i = 0; huge.size() < 5'000'000; ++i)
        huge += QStringLiteral("行%1\t2.5\t0\t%1\t%1\t\t\t\t40\r\n").arg(i);
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(huge);
    form->Grid.setCurrent(1, 1);
    form->StringGrid1->setFocus();
    QElapsedTimer clock;
    clock.start();
    QTest::keyClick(form->StringGrid1, Qt::Key_V, Qt::ControlModifier);
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(form->Grid.cell(1, 1), QStringLiteral("行0"));
    EXPECT_EQ(form->Grid.RowCount(), hostileRows().size() + 1);

    QImage image(64, 64, QImage::Format_RGB32);
    image.fill(Qt::red);
    clipboard->setImage(image);
    ASSERT_TRUE(clipboard->text().isEmpty());
    const QString before = form->Grid.cell(1, 1);
    clock.restart();
    QTest::keyClick(form->StringGrid1, Qt::Key_V, Qt::ControlModifier);
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(form->Grid.cell(1, 1), before);
    EXPECT_TRUE(boxes.isEmpty());
}

}  // namespace
