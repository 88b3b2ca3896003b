#pragma once
// Reading a DXF drawing (ASCII, any release dxflib reads) into a Drawing.
#include "Drawing.h"
#include <QString>

struct DxfReadResult {
    Drawing drawing;
    QString error; // empty when the file was read; the drawing is then empty otherwise
};

DxfReadResult readDxf(const QString& path);
// The same for the contents of a file; `name` only goes into messages.
DxfReadResult readDxfData(const QByteArray& data, const QString& name);
