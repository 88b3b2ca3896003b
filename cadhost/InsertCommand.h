#pragma once
// INSERT of a DXF file, exploded: the file's entities join the drawing moved to
// the insertion point, scaled and rotated about it, on their own layers.
#include "cadhost/Drawing.h"

#include <QPointF>
#include <optional>

class CommandInterpreter;

// Where the content of a file goes: the file's origin lands on `base`, every
// distance is multiplied by `scale` (not 0; negative turns by a half turn),
// then everything turns counter-clockwise by `rotationDegrees` about `base`.
struct InsertPlacement {
    QPointF base;
    double scale = 1;
    double rotationDegrees = 0;
};

// Adds `source`'s entities to `target` placed so. Layers the target lacks are
// added with the file's colours; layers and text styles it has are kept as
// they are. Changes only `target`, so one undo snapshot taken before covers it.
void insertExploded(Drawing& target, const Drawing& source, const InsertPlacement& placement);

// Answers as typed on the command line: "x,y" or "x,y,z"; a plain number.
std::optional<QPointF> parsePointAnswer(const QString& answer);
std::optional<double> parseNumberAnswer(const QString& answer);

// "-INSERT" (and "INSERT"): the file name with "*" before it, the insertion
// point, the scale and the rotation in degrees, each asked in turn.
void addInsertCommand(CommandInterpreter& commands);
