#include "results/GridSort.h"

#include "results/CellNumbers.h"
#include "results/ResultReader.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace {

enum class KeyKind { Number, Text };

struct SortRule {
    KeyKind kind;
    int primary;
    std::optional<int> secondary;
};

std::optional<SortRule> ruleForHeader(int col) {
    using namespace ResultColumn;
    switch (col) {
    case No:
    case Height:
    case Angle:
    case Width: return SortRule{KeyKind::Number, col, std::nullopt};
    case Text: return SortRule{KeyKind::Text, col, std::nullopt};
    case X: return SortRule{KeyKind::Number, X, Y};
    case Y: return SortRule{KeyKind::Number, Y, X};
    default: return std::nullopt;
    }
}

// A row's keys, taken from its cells; they move with the row when rows are exchanged.
struct RowKey {
    double primary = 0, secondary = 0;
    QString text;
};

RowKey keyOf(const TGridModel& grid, int row, const SortRule& rule) {
    RowKey k;
    if (rule.kind == KeyKind::Text) {
        k.text = grid.cell(rule.primary, row);
        return k;
    }
    k.primary = parseLenientNumber(grid.cell(rule.primary, row), 0);
    if (rule.secondary) k.secondary = parseLenientNumber(grid.cell(*rule.secondary, row), 0);
    return k;
}

bool comesBefore(const RowKey& j, const RowKey& i, const SortRule& rule) {
    if (rule.kind == KeyKind::Text) return textComesBefore(j.text, i.text);
    if (j.primary < i.primary) return true;
    return rule.secondary && j.primary == i.primary && j.secondary < i.secondary;
}


}  // namespace

bool textComesBefore(const QString& a, const QString& b) {
    return std::lexicographical_compare(a.utf16(), a.utf16() + a.size(), b.utf16(), b.utf16() + b.size());
}

bool sortGridByHeader(TGridModel& grid, int headerCol) {
    const std::optional<SortRule> rule = ruleForHeader(headerCol);
    if (!rule) return false;
    TGridFreeze frozen(grid);
    const int rows = grid.RowCount();
    // The keys are parsed once per row and exchanged with it, which gives the
    // same order as taking them from the cells at every comparison.
    std::vector<RowKey> keys(size_t(std::max(rows, 0)));
    for (int r = TGridModel::FixedRows; r < rows; ++r) keys[size_t(r)] = keyOf(grid, r, *rule);
    for (int i = TGridModel::FixedRows; i <= rows - 2; ++i) {
        for (int j = i + 1; j <= rows - 1; ++j) {
            if (!comesBefore(keys[size_t(j)], keys[size_t(i)], *rule)) continue;
            grid.exchangeRows(i, j);
            std::swap(keys[size_t(i)], keys[size_t(j)]);
        }
    }
    return true;
}

QString averageHeightStatusLine(const TGridModel& grid) {
    return QStringLiteral("文字高さの平均値= ") + formatFixed(averageTextHeight(grid), 3);
}
