// Any text typed as AutoLISP on the host's command line, over an empty drawing:
// read and evaluated within a small step budget, it ends in a value or an error
// line, never a crash, a stall or unbounded memory (the runner's limits).
#include "cadhost/lisp/HostLisp.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HostState state;
    lisp::HostLisp lisp(state);
    lisp.interpreter().stepBudget = 200'000;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const QString& line : text.split(u'\n')) lisp.evaluateLine(line);
    return 0;
}
