#pragma once
// The one writer of text files: every line, the last one included, ends in CR LF.
#include <QString>
#include <QStringList>

enum class TextEncoding {
    Cp932,    // code page 932, no byte-order mark, "?" for what it cannot carry
    Utf8Bom,  // UTF-8 with a byte-order mark
};

// Replaces the file at path as a whole: the lines go to a temporary file that
// is renamed over the target, so a failure never leaves a half-written file.
// Throws std::runtime_error (UTF-8 message naming the path) when it fails.
void writeTextLines(const QString& path, const QStringList& lines, TextEncoding enc);
