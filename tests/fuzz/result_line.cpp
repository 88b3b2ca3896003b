// Any bytes as one result line, through the line parser and the reader: a line
// is either parsed into a row or left alone, and never yields an angle outside
// [0, 360).
#include "results/ResultReader.h"

#include <QDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString line = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto parsed = parseResultLine(line);
    if (parsed && line.count(u'(') < 4) std::abort();
    TGridModel grid(9, 2);
    setupResultHeader(grid);
    const CropGeometry g{0.5, 100, 200, 64, 64};
    static const QString exportPath = QDir::temp().filePath(QStringLiteral("fuzz_result_line.tsv"));
    if (readResultSL({line}, g, 0.8, size % 2 == 0, grid, [](const QString& s) { return int(s.size()); },
                     exportPath) != 1)
        std::abort();
    const double angle = parseLenientNumber(grid.cell(ResultColumn::Angle, 1), 0);
    if (angle < 0 || angle >= 360) std::abort();
    return 0;
}
