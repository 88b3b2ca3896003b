// mirtex-ocr IMAGE...: recognises image files with the engine beside this
// program (its model loaded once) and prints one result line per recognised
// line; with several files each file's lines follow a header line naming it.
// The exit status is 0 only when every file was read. Diagnostics and timing go
// to stderr.
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

const char* kUsage =
    "usage: mirtex-ocr IMAGE...\n"
    "Recognises each image with the OCR engine beside this program and prints one\n"
    "result line per recognised line (index: text: four corners). With several\n"
    "images each one's lines follow a line \"==> IMAGE <==\". Exit status 0 when\n"
    "every image was read, 1 when one could not be, 2 for a wrong call.\n";

// Recognises one file; false when it cannot be read.
bool readFile(const QString& path, bool withHeader, IStatusMemo& memo)
{
    QImageReader reader(path);
    const QImage image = reader.read();
    if (image.isNull()) {
        std::fprintf(stderr, "mirtex-ocr: cannot read image %s: %s\n", path.toLocal8Bit().constData(),
                     reader.errorString().toUtf8().constData());
        return false;
    }
    QElapsedTimer timer;
    timer.start();
    QStringList lines;
    QString flagged;
    ocrBitmapSL(image, lines, flagged, memo);
    if (withHeader)
        std::printf("==> %s <==\n", path.toLocal8Bit().constData());
    for (const QString& line : lines)
        std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
    std::fprintf(stderr, "%s: %lld lines in %.3f s\n", path.toLocal8Bit().constData(),
                 static_cast<long long>(lines.size()), timer.elapsed() / 1000.0);
    if (!flagged.isEmpty())
        std::fprintf(stderr, "lines the CAD may not display: %s\n", flagged.toUtf8().constData());
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList files;
    for (int i = 1; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        files.append(a);
    }
    if (files.isEmpty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    StderrMemo memo;
    if (!checkOcrFiles(memo))
        return 1;
    bool all = true;
    try {
        for (const QString& f : files)
            all = readFile(f, files.size() > 1, memo) && all;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mirtex-ocr: %s\n", e.what());
        return 1;
    }
    return all ? 0 : 1;
}
