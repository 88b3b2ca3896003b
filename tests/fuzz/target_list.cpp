// Any bytes as the target CAD list file: decoding never fails, and writing the
// lines back in the file's own encoding reads back as the same lines.
#include "app/TaregetCADUnit.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ListFileText first =
        decodeListFile(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    for (const QString& line : first.lines) splitTargetCadRow(line);
    const QByteArray written = encodeListFile(first.lines, first.encoding);
    const ListFileText second = decodeListFile(written);
    if (second.encoding != first.encoding) std::abort();
    // Code page 932 cannot hold every character a broken file decodes to: those
    // come back as "?". Every other encoding gives the lines back exactly.
    if (first.encoding != ListFileEncoding::Cp932 && second.lines != first.lines) std::abort();
    if (second.lines.size() != first.lines.size()) std::abort();
    if (encodeListFile(second.lines, second.encoding) != written && first.encoding != ListFileEncoding::Cp932)
        std::abort();
    return 0;
}
