#include "results/ResultExport.h"

#include "output/TextFile.h"
#include "results/ResultReader.h"

QStringList resultExportLines(const CropGeometry& g, const TGridModel& grid) {
    QStringList lines;
    lines << QString::asprintf("%.8f\t%d,%d\t%.8f,%.8f", g.Scale, int(g.WidthPx), int(g.HeightPx), g.OriginX,
                               g.OriginY);
    for (int r = 1; r < grid.RowCount(); ++r)
        lines << grid.cell(ResultColumn::Text, r) + u'\t' + grid.cell(ResultColumn::PixelCorners, r) + u'\t' +
                     grid.cell(ResultColumn::DrawCorners, r);
    return lines;
}

void writeResultExport(const QString& path, const CropGeometry& g, const TGridModel& grid) {
    writeTextLines(path, resultExportLines(g, grid), TextEncoding::Cp932);
}
