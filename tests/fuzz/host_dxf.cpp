// Any bytes as a drawing file opened by the host: it reads what it can and never
// crashes, exhausts memory or stalls (the runner's time and memory limits).
#include "cadhost/DrawingExtents.h"
#include "cadhost/DxfFile.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // Text extents measure glyphs: fonts need a GUI application (offscreen).
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QString path = QDir::temp().filePath(QStringLiteral("fuzz_host.dxf"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    const DxfReadResult read = readDxf(path);
    if (!read.ok && read.message.isEmpty()) std::abort();  // a refusal always says why
    drawingExtents(read.drawing);
    return 0;
}
