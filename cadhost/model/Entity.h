#pragma once
// The plain data of a drawing: layers and the entity kinds the host knows.
#include <QList>
#include <QPointF>
#include <QString>

struct Point3 {
    double x = 0, y = 0, z = 0;
    bool operator==(const Point3&) const = default;
    QPointF xy() const { return {x, y}; }
};

enum class EntityType { Line, Polyline, Circle, Arc, Text };

// AutoCAD's text alignment codes, as served by the object model.
enum TextAlignment {
    AlignLeft = 0, AlignCenter = 1, AlignRight = 2, AlignAligned = 3, AlignMiddle = 4, AlignFit = 5,
    AlignTopLeft = 6, AlignTopCenter = 7, AlignTopRight = 8,
    AlignMiddleLeft = 9, AlignMiddleCenter = 10, AlignMiddleRight = 11,
    AlignBottomLeft = 12, AlignBottomCenter = 13, AlignBottomRight = 14,
};
constexpr int kLastAlignment = AlignBottomRight;

// DXF justification (group 72 horizontal, 73 vertical) <-> alignment code.
int alignmentFromDxf(int horizontal, int vertical);
void alignmentToDxf(int alignment, int& horizontal, int& vertical);

constexpr int kColorByBlock = 0;
constexpr int kColorByLayer = 256;

struct PolylineVertex {
    double x = 0, y = 0;
    double bulge = 0; // tan(included angle / 4) of the arc to the next vertex
    bool operator==(const PolylineVertex&) const = default;
};

struct TextData {
    QString string;
    double height = 2.5;
    double rotation = 0;   // radians
    double widthFactor = 1;
    int alignment = AlignLeft;
    Point3 insertion;      // left end of the baseline
    Point3 alignmentPoint; // the reference point of every alignment but left
    bool operator==(const TextData&) const = default;
};

struct Entity {
    EntityType type = EntityType::Line;
    quint64 handle = 0;
    QString layer = QStringLiteral("0");
    int color = kColorByLayer; // ACI, 256 by layer, 0 by block
    bool visible = true;

    // Line: two points. Polyline: the vertices.
    QList<PolylineVertex> vertices;
    bool closed = false;
    // Circle and arc; arc angles in degrees, counter-clockwise.
    Point3 center;
    double radius = 0;
    double startAngle = 0, endAngle = 360;
    TextData text;

    bool operator==(const Entity&) const = default;
};

struct Layer {
    QString name;
    int color = 7; // ACI 1..255
    bool off = false;
    bool operator==(const Layer&) const = default;
};

const char* entityTypeName(EntityType type);
