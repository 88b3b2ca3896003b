#pragma once
// The LISP road (Button15Click): the table becomes the LISP batch file beside
// the executable, the CAD loads it and creates every text itself.
#include "output/TextRoadWindow.h"

#include <QString>
#include <optional>

// The text of the fixed-height box the sender chooses (the crop command's
// when fromCrop, the table's otherwise), trimmed; nothing when that box is
// not ticked. It is passed on whether or not it is a number.
std::optional<QString> fixedHeightText(const FixedHeightBoxes& boxes, bool fromCrop);

// A memo line: "<count> TEXT を作成しました.(<s>sec)".
QString textsMadeLine(int count, qint64 elapsedMs);

// Button15Click; fromCrop tells that the sender is Button2. Silent when no CAD
// runs; a file that cannot be written or a refused CAD call throws.
void runLispRoad(ITextRoadWindow& window, bool fromCrop);
