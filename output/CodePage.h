#pragma once
// UTF-16 <-> Windows code page 932 (Shift_JIS with the Microsoft extensions),
// the narrow encoding of every file written for the CAD.
#include <QByteArray>
#include <QString>

// Every code point that code page 932 cannot carry (a lone surrogate included)
// becomes one "?"; the conversion goes on after it.
QByteArray toCp932(const QString& text);

// Bytes that are not valid code page 932 become U+FFFD, one per bad byte.
QString fromCp932(const QByteArray& bytes);
