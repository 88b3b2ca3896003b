#pragma once
#include <QImage>
#include <QString>
#include <QStringList>

#include <array>

class IStatusMemo;

// True when the engine library, its runtime and its model are all in the
// executable's folder; otherwise one memo line per missing file and an
// information box listing them.
bool checkOcrFiles(IStatusMemo& memo);

// Recognises the bitmap with the engine beside the executable: fills lines with
// one result line per recognised line, flagged with the 1-based numbers (TAB
// separated) of texts the CAD cannot display. Returns lines.size(). Throws
// std::runtime_error when the engine cannot be loaded or lacks an entry point.
int ocrBitmapSL(const QImage& bitmap, QStringList& lines, QString& flagged, IStatusMemo& memo);
// The same with another model key (a model sealed with a different key yields no lines).
int ocrBitmapWithKey(const char* modelKey, const QImage& bitmap, QStringList& lines, QString& flagged,
                     IStatusMemo& memo);

// "j: text: (x1,y1),(x2,y2),(x3,y3),(x4,y4)", values rounded halves away from zero.
QString formatResultLine(long long index, const QString& text, const std::array<float, 8>& box);

// Writes the result lines as "result.txt" is kept: UTF-8 with BOM, CR LF.
void saveResultText(const QStringList& lines, const QString& path);
