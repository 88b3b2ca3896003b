// The result table on a large crop: sorting 1,000 rows and pasting 1,000 cells
// (and taking the paste back with one Ctrl+Z), in the grid model alone and
// through the real main window with its grid view, beside a plain library sort
// and 1,000 plain cell writes of the same run as baselines.
//
//   QT_QPA_PLATFORM=offscreen bench-grid-table [repeats]
#include "app/Application.h"
#include "app/AppPaths.h"
#include "app/Form102.h"
#include "results/GridClipboard.h"
#include "results/GridSort.h"
#include "results/ResultReader.h"
#include "results/UndoCells.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

namespace {

constexpr int kRows = 1000;

// A table as a crop of a dense sheet fills it: numbered rows, texts, heights
// from a few sizes (many equal keys), angles, X and Y on a coarse grid.
void fillTable(TGridModel& grid) {
    std::mt19937 rng(2026);
    std::uniform_int_distribution<int> word(0, 25), len(1, 12), size(0, 4), pos(0, 400);
    setupResultHeader(grid);
    grid.setRowCount(kRows + 1);
    for (int r = 1; r <= kRows; ++r) {
        QString text;
        for (int i = len(rng); i > 0; --i) text += QChar(u'A' + word(rng));
        grid.setCell(0, r, QString::number(r) + u' ');
        grid.setCell(1, r, text);
        grid.setCell(2, r, formatFixed(1.5 + 0.5 * size(rng), 3));
        grid.setCell(3, r, "0.0");
        grid.setCell(4, r, formatFixed(pos(rng) * 2.5, 3));
        grid.setCell(5, r, formatFixed(pos(rng) * 2.5, 3));
        grid.setCell(6, r, "0,0,0,0,0,0,0,0");
        grid.setCell(7, r, "0,0,0,0,0,0,0,0");
        grid.setCell(8, r, formatFixed(text.size() * 2.0, 2));
    }
}

// Best of the repeats, in milliseconds; prepare runs untimed before each.
double bestMs(int repeats, const std::function<void()>& prepare, const std::function<void()>& work) {
    double best = 1e300;
    for (int i = 0; i < repeats; ++i) {
        prepare();
        QElapsedTimer clock;
        clock.start();
        work();
        best = std::min(best, clock.nsecsElapsed() / 1e6);
    }
    return best;
}

void row(const char* what, double ms, bool target) {
    std::printf("| %-58s | %9.2f | %s |\n", what, ms, target ? (ms < 300 ? "yes" : "NO") : "–");
}

}  // namespace

int main(int argc, char** argv) {
    MirtexApplication app(argc, argv);
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    QTemporaryDir dir;
    AppPaths::setExecutableForTesting(dir.path());

    TGridModel filled;
    fillTable(filled);
    TGridModel grid;
    TUndoCells undo;
    std::printf("%d data rows, best of %d runs\n\n", kRows, repeats);
    std::printf("| %-58s | %9s | %s |\n", "operation", "ms", "under 300 ms");
    std::printf("|%s|%s|%s|\n", std::string(60, '-').c_str(), std::string(11, '-').c_str(), "---");

    // Sorting.
    struct Key { int col; const char* name; };
    for (const Key k : {Key{2, "height (numeric, many equal keys)"}, Key{4, "X then Y (two numeric keys)"},
                        Key{1, "text (code units)"}}) {
        const double ms = bestMs(repeats, [&] { grid = filled; }, [&] { sortGridByHeader(grid, k.col); });
        row(qPrintable(QStringLiteral("sort model by %1").arg(k.name)), ms, true);
    }
    std::vector<std::pair<double, int>> keys;
    const double plain = bestMs(repeats, [&] {
        keys.clear();
        for (int r = 1; r <= kRows; ++r) keys.emplace_back(parseLenientNumber(filled.cell(2, r), 0), r);
    }, [&] { std::stable_sort(keys.begin(), keys.end()); });
    row("baseline: std::stable_sort of the parsed heights", plain, false);

    // Pasting.
    const QString oneLine = QStringLiteral("2.5\r\n");
    QString block;
    for (int r = 0; r < 100; ++r) {
        QStringList fields;
        for (int c = 0; c < 8; ++c) fields << QStringLiteral("v%1").arg(c);
        block += fields.join(u'\t') + QStringLiteral("\r\n");
    }
    auto selectColumn = [&](int left, int right) {
        grid = filled;
        undo.Clear();
        grid.setCurrent(left, 1);
        grid.setSelection({left, 1, right, kRows});
    };
    row("paste one line into 1,000 rows (1,000 cells, undo records)",
        bestMs(repeats, [&] { selectColumn(2, 2); }, [&] { pasteIntoSelection(grid, undo, oneLine); }), true);
    row("paste 100 lines x 8 fields tiled over 125 rows (1,000 cells)",
        bestMs(repeats, [&] { selectColumn(1, 1); grid.setSelection({1, 1, 1, 125}); },
               [&] { pasteIntoSelection(grid, undo, block); }), true);
    row("baseline: 1,000 plain cell writes",
        bestMs(repeats, [&] { selectColumn(2, 2); }, [&] {
            for (int r = 1; r <= kRows; ++r) grid.setCell(2, r, oneLine.left(3));
        }), false);
    row("paste 1,000 cells over 20,000 earlier undo records",
        bestMs(repeats, [&] {
            selectColumn(2, 2);
            for (int i = 0; i < 20; ++i) pasteIntoSelection(grid, undo, oneLine);
        }, [&] { pasteIntoSelection(grid, undo, oneLine); }), false);

    // The same through the main window: the grid view repaints, keys go through the key handler.
    TForm102 window;
    window.show();
    window.Grid.setRowCount(kRows + 1);
    auto fill = [&] {
        for (int r = 0; r <= kRows; ++r)
            for (int c = 0; c < 9; ++c) window.Grid.setCell(c, r, filled.cell(c, r));
        QCoreApplication::processEvents();
    };
    row("window: header click on 文字高 (sort, repaint, status line)",
        bestMs(repeats, [&] { fill(); }, [&] {
            window.StringGrid1FixedCellClick(2, 0);
            QCoreApplication::processEvents();
        }), true);
    row("window: Ctrl+V of one line into 1,000 rows",
        bestMs(repeats, [&] {
            fill();
            window.Grid.setCurrent(2, 1);
            window.Grid.setSelection({2, 1, 2, kRows});
            QGuiApplication::clipboard()->setText(oneLine);
            QCoreApplication::processEvents();
        }, [&] {
            window.StringGrid1KeyDown(Qt::Key_V, Qt::ControlModifier);
            QCoreApplication::processEvents();
        }), true);
    row("window: Ctrl+Z of that paste (1,000 undos, row shown each)",
        bestMs(1, [&] {}, [&] {
            window.StringGrid1KeyDown(Qt::Key_Z, Qt::ControlModifier);
            QCoreApplication::processEvents();
        }), false);
    return 0;
}
