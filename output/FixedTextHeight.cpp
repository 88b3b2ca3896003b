#include "output/FixedTextHeight.h"

#include "results/CellNumbers.h"

double fixedTextHeight(bool startedByCrop, const FixedHeightBoxes& boxes) {
    const bool ticked = startedByCrop ? boxes.cropTicked : boxes.tableTicked;
    if (!ticked) return 0;
    return parseLenientNumber(startedByCrop ? boxes.cropText : boxes.tableText, 2.5);
}

int correctedTextAci(int textAci) { return textAci < 1 ? 30 : textAci; }
