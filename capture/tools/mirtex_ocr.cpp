// mirtex-ocr IMAGE: recognises an image file with the engine beside this
// program and prints one result line per recognised line. Diagnostics and
// timing go to stderr.
#include "app/StatusMemo.h"
#include "capture/OcrBinding.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QImageReader>

#include <cstdio>
#include <exception>

namespace {
class StderrMemo : public IStatusMemo {
public:
    void addLine(const QString& line) override { std::fprintf(stderr, "%s\n", line.toUtf8().constData()); }
    void clear() override {}
    void processMessages() override {}
    void information(const QString& text) override { std::fprintf(stderr, "%s\n", text.toUtf8().constData()); }
};
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: mirtex-ocr IMAGE\n");
        return 2;
    }
    QImageReader reader(QString::fromLocal8Bit(argv[1]));
    const QImage image = reader.read();
    if (image.isNull()) {
        std::fprintf(stderr, "mirtex-ocr: cannot read image %s: %s\n", argv[1],
                     reader.errorString().toUtf8().constData());
        return 1;
    }
    StderrMemo memo;
    if (!checkOcrFiles(memo))
        return 1;
    try {
        QElapsedTimer timer;
        timer.start();
        QStringList lines;
        QString flagged;
        ocrBitmapSL(image, lines, flagged, memo);
        for (const QString& line : lines)
            std::printf("%s\n", line.toUtf8().constData());
        std::fprintf(stderr, "%lld lines in %.3f s\n", static_cast<long long>(lines.size()), timer.elapsed() / 1000.0);
        if (!flagged.isEmpty())
            std::fprintf(stderr, "lines the CAD may not display: %s\n", flagged.toUtf8().constData());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mirtex-ocr: %s\n", e.what());
        return 1;
    }
    return 0;
}
