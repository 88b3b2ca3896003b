#pragma once
// The plain tesseract command line at its best measured settings, the
// baseline the engine is compared with: dark backgrounds inverted, the image
// enlarged twice, model "Japanese", page segmentation 6, one thread.
#include <QImage>
#include <QString>
#include <QStringList>

// The command's input prepared from a picture of the screen.
QImage tesseractBestImage(QImage image);
// Non-empty output lines of `tesseract IMAGE stdout OPTIONS`.
QStringList tesseractLines(const QString& imagePath, const QStringList& options);
// Per reference line, the edit distance to its best stretch anywhere in the
// output: the command line has no geometry and joins side-by-side lines, so
// this is lenient toward it.
QList<int> substringErrors(const QStringList& references, const QStringList& output);
