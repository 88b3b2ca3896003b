#pragma once
// Strings of a DXF file: the byte encoding a file's header implies, and the
// \U+XXXX / \M+1XXXX escapes a CAD writes for characters its code page lacks.
#include <QByteArray>
#include <QString>

// How the strings of a file are encoded: UTF-8 from AutoCAD 2007 (AC1021)
// on, otherwise the header's code page, code page 932 when it names none.
struct DxfEncoding {
    bool utf8 = false;
    QString codePage = QStringLiteral("932"); // Windows code page number
};
DxfEncoding dxfEncoding(const QString& acadVersion, const QString& dwgCodePage);

QString decodeDxfString(const QByteArray& bytes, const DxfEncoding& encoding);

// A string for an R12 file in code page 932: characters the code page lacks,
// and control characters, become \U+XXXX escapes, so nothing is lost and the
// line structure stays intact.
QByteArray encodeDxfStringCp932(const QString& text);
