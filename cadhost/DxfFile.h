#pragma once
// DXF reading (through dxflib) and R12 ASCII writing in code page 932.
#include "cadhost/Drawing.h"

struct DxfReadResult {
    Drawing drawing;
    bool ok = false;
    QString message;  // why the file could not be read, for the command line
};

// A missing or unreadable file gives an empty drawing and a message.
DxfReadResult readDxf(const QString& path);
// Decodes \U+XXXX escapes of DXF text.
QString decodeDxfEscapes(const QString& text);
bool writeDxf(const Drawing& drawing, const QString& path);
