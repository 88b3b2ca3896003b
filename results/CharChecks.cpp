#include "results/CharChecks.h"

#include "output/CodePage.h"
#include "results/CellNumbers.h"
#include "results/ResultReader.h"

#include <algorithm>

namespace {

QString roundTrip(const QString& text) { return fromCp932(toCp932(text)); }

}  // namespace

bool checkSjisText(const QString& text) {
    if (text.isEmpty()) return false;
    return roundTrip(text) != text;
}

bool checkAttnText(const QString& text, const QString& attnChars) {
    if (checkSjisText(text)) return true;
    for (QChar c : trimBlanks(attnChars))
        if (text.contains(c)) return true;
    return false;
}

QString offendingSjisChars(const QString& text) {
    // Code page 932 is stateless, so each code point converts on its own; going
    // by code point keeps the comparison aligned after a surrogate pair.
    QString out;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len =
            (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) ? 2 : 1;
        const QString ch = text.mid(i, len);
        if (roundTrip(ch) != ch) out += ch;
        i += len;
    }
    return out;
}

int findNextFlaggedRow(const TGridModel& grid) {
    const int last = grid.RowCount() - 1;
    if (last < 1) return -1;
    const int current = std::clamp(grid.Row(), 1, last);
    for (int step = 1; step <= last; ++step) {
        const int row = (current - 1 + step) % last + 1;
        if (checkSjisText(grid.cell(ResultColumn::Text, row))) return row;
    }
    return -1;
}
