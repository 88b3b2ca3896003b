#include "Entity.h"

int alignmentFromDxf(int horizontal, int vertical)
{
    if (horizontal < 0 || horizontal > 5)
        horizontal = 0;
    // Aligned, middle and fit ignore the vertical justification.
    if (vertical <= 0 || vertical > 3 || horizontal >= 3)
        return horizontal;
    const int row = vertical == 3 ? AlignTopLeft : vertical == 2 ? AlignMiddleLeft : AlignBottomLeft;
    return row + horizontal;
}

void alignmentToDxf(int alignment, int& horizontal, int& vertical)
{
    if (alignment < AlignTopLeft) {
        horizontal = alignment;
        vertical = 0;
        return;
    }
    horizontal = (alignment - AlignTopLeft) % 3;
    const int row = (alignment - AlignTopLeft) / 3;
    vertical = row == 0 ? 3 : row == 1 ? 2 : 1;
}

const char* entityTypeName(EntityType type)
{
    switch (type) {
    case EntityType::Line: return "LINE";
    case EntityType::Polyline: return "POLYLINE";
    case EntityType::Circle: return "CIRCLE";
    case EntityType::Arc: return "ARC";
    case EntityType::Text: return "TEXT";
    }
    return "";
}
