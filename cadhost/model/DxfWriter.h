#pragma once
// Writing a Drawing as an AutoCAD R12 ASCII DXF file in code page 932.
#include "Drawing.h"
#include <QByteArray>
#include <QString>

QByteArray dxfData(const Drawing& drawing);
// False with a reason in `error` when the file cannot be written.
bool writeDxf(const Drawing& drawing, const QString& path, QString* error = nullptr);
