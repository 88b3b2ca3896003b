#pragma once
// DXF reading (ASCII, any version; the entities the host draws) and R12 ASCII
// writing in code page 932.
#include "cadhost/Drawing.h"

struct DxfReadResult {
    Drawing drawing;
    bool ok = false;
    QString message;  // why the file could not be read, for the command line
};

// What a file may hold; a drawing file must never take the host down or
// freeze it. Longer texts and names are cut to these lengths (UTF-16 units);
// a larger file, more entities or vertices, or more characters of text in all
// (each is laid out as glyph outlines, tens of microseconds a character)
// refuses the file.
constexpr qsizetype kMaxDxfFileBytes = 64 * 1024 * 1024;
constexpr qsizetype kMaxTextLength = 1024;
constexpr qsizetype kMaxTextCharacters = 100000;
constexpr qsizetype kMaxNameLength = 255;
constexpr qsizetype kMaxEntities = 500000;
constexpr qsizetype kMaxVertices = 2000000;

// A missing, unreadable or malformed file gives an empty drawing and a message.
DxfReadResult readDxf(const QString& path);
DxfReadResult readDxfBytes(const QByteArray& bytes);
// Decodes \U+XXXX escapes of DXF text.
QString decodeDxfEscapes(const QString& text);
bool writeDxf(const Drawing& drawing, const QString& path);
