// Any text as a line of "result.txt" for the text-erased images: the corner
// tail is parsed or refused, and the fast quadrilateral fill paints exactly the
// pixels of the per-pixel reference, never one outside the image.
#include "imaging/EraseImage.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString line = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<Quad> quad = parseCornerTail(line);
    if (!quad) return 0;
    for (const QPoint& p : *quad)  // the reference visits every pixel of the box: keep it small
        if (p.x() < -64 || p.x() > 128 || p.y() < -64 || p.y() > 128) return 0;
    QImage fast(64, 48, QImage::Format_RGB32), reference(64, 48, QImage::Format_RGB32);
    fast.fill(Qt::white);
    reference.fill(Qt::white);
    fillQuad(fast, *quad, Qt::black);
    fillQuadPerPixel(reference, *quad, Qt::black);
    if (fast != reference) std::abort();
    return 0;
}
