#pragma once
// The tab-separated export of the last read: the crop geometry, then per data
// row its text, pixel corners and drawing corners. Code page 932, CR LF.
#include "results/CropGeometry.h"
#include "results/GridModel.h"

#include <QString>
#include <QStringList>

QStringList resultExportLines(const CropGeometry& g, const TGridModel& grid);
// Throws std::runtime_error when the file cannot be written.
void writeResultExport(const QString& path, const CropGeometry& g, const TGridModel& grid);
