// Any bytes typed on the host's command line, over a drawing with a few
// entities: every command, answer and cancel is handled without a crash or a
// stall. Commands that write files are left out: inputs must not write anywhere.
#include "cadhost/CommandInterpreter.h"
#include "cadhost/DxfFile.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const Drawing sample = readDxf(QStringLiteral(MIRTEX_SOURCE_DIR "/samples/plan.dxf")).drawing;
    HostState state;
    state.drawing = sample;
    state.intVariables[QStringLiteral("FILEDIA")] = 0;  // never a dialog
    CommandInterpreter commands(state);
    commands.feed(QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)));
    return 0;
}
