// ocr-render-lines: writes random rendered text lines for the recogniser's
// training, endlessly or COUNT of them, as a binary stream on standard output:
// per line "LN" (2 bytes), width and height (uint16 each), the UTF-8 length
// (uint16) and bytes of "style TAB size TAB text", then width * height grey
// pixels (dark on light).
// With --png DIR it writes DIR/NNNNN.png views and scenes and DIR/labels.tsv instead.
#include "ocrengine/training/LineRenderer.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

const char* kUsage =
    "usage: ocr-render-lines [--set train|held-out-face|held-out-stroke] [--seed N] [--count N]\n"
    "                        [--data DIR] [--fonts DIR] [--png DIR]\n";

void put16(std::FILE* out, unsigned v)
{
    const uint8_t b[2] = {uint8_t(v & 0xFF), uint8_t(v >> 8)};
    std::fwrite(b, 1, 2, out);
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    LineSet set = LineSet::Train;
    quint32 seed = 1;
    long long count = -1;
    QString dataDir = QStringLiteral(MIRTEX_TRAINING_DIR), fontDir = "/usr/share/librecad/fonts", pngDir;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--set" && hasValue) {
            const QString v = args[++i];
            set = v == "held-out-face" ? LineSet::HeldOutFace : v == "held-out-stroke" ? LineSet::HeldOutStroke
                                                                                       : LineSet::Train;
        } else if (a == "--seed" && hasValue) {
            seed = args[++i].toUInt();
        } else if (a == "--count" && hasValue) {
            count = args[++i].toLongLong();
        } else if (a == "--data" && hasValue) {
            dataDir = args[++i];
        } else if (a == "--fonts" && hasValue) {
            fontDir = args[++i];
        } else if (a == "--png" && hasValue) {
            pngDir = args[++i];
        } else {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    LineRendererData data;
    QString error;
    if (!loadRendererData(dataDir, fontDir, set, data, &error)) {
        std::fprintf(stderr, "ocr-render-lines: %s\n", error.toUtf8().constData());
        return 1;
    }
    const QStringList missing = missingFaces(set);
    if (!missing.isEmpty()) {
        std::fprintf(stderr, "ocr-render-lines: faces missing: %s\n", missing.join(", ").toUtf8().constData());
        return 1;
    }
    LineRenderer renderer(data, set, seed);
    QFile labels;
    if (!pngDir.isEmpty()) {
        QDir().mkpath(pngDir);
        labels.setFileName(pngDir + "/labels.tsv");
        if (!labels.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 1;
    }
    for (long long n = 0; count < 0 || n < count; ++n) {
        const LineSample s = renderer.next();
        const QByteArray text = QString("%1\t%2\t%3").arg(s.style).arg(s.size).arg(s.text).toUtf8();
        if (!pngDir.isEmpty()) {
            QImage view(s.pixels.data(), s.width, s.height, s.width, QImage::Format_Grayscale8);
            const QString stem = QString("%1/%2").arg(pngDir).arg(n, 5, 10, QChar('0'));
            view.save(stem + ".png");
            s.scene.save(stem + "-scene.png");
            labels.write(QString("%1\t%2\t%3\t%4\n").arg(n).arg(s.style).arg(s.size).arg(s.text).toUtf8());
            continue;
        }
        std::fwrite("LN", 1, 2, stdout);
        put16(stdout, unsigned(s.width));
        put16(stdout, unsigned(s.height));
        put16(stdout, unsigned(text.size()));
        std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
        std::fwrite(s.pixels.data(), 1, s.pixels.size(), stdout);
        if (std::ferror(stdout))
            return 0;  // the reader went away
    }
    std::fflush(stdout);
    return 0;
}
