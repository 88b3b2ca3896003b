#include "PlainTesseract.h"

#include "ocrengine/samples/TextSamples.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <algorithm>

QImage tesseractBestImage(QImage image)
{
    image = image.convertToFormat(QImage::Format_RGB32);
    qint64 sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            sum += qGray(image.pixel(x, y));
    if (sum < qint64(128) * image.width() * image.height())
        image.invertPixels();
    return image.scaled(image.size() * 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QStringList tesseractLines(const QString& imagePath, const QStringList& options)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("OMP_THREAD_LIMIT"), QStringLiteral("1"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("tesseract"), QStringList{imagePath, QStringLiteral("stdout")} + options);
    p.waitForFinished(120000);
    QStringList out;
    for (const QString& l : QString::fromUtf8(p.readAllStandardOutput()).split('\n'))
        if (!comparableText(l).isEmpty())
            out.append(l);
    return out;
}

QList<int> substringErrors(const QStringList& references, const QStringList& output)
{
    QList<int> errors;
    for (const QString& r : references) {
        const QString ref = comparableText(r);
        int best = int(ref.size());
        for (const QString& o : output)
            best = std::min(best, substringEditDistance(ref, comparableText(o)));
        errors.append(best);
    }
    return errors;
}
