#pragma once
// The drawing held by the CAD host: layers and entities as plain data.
#include <QHash>
#include <QList>
#include <QPointF>
#include <QString>
#include <optional>

struct Layer {
    QString name;
    int color = 7;
    bool operator==(const Layer&) const = default;
};

// An entry of the STYLE table. The host draws every text in one font; styles
// are kept so that a drawing written back names the fonts it was given.
struct TextStyle {
    QString name;
    QString fontFile, bigFontFile;
    double fixedHeight = 0, widthFactor = 1, obliqueDegrees = 0;
    bool operator==(const TextStyle&) const = default;
};

enum class EntityType { Line, Polyline, Circle, Arc, Text };

struct Vertex {
    double x = 0, y = 0, bulge = 0;
    bool operator==(const Vertex&) const = default;
};

struct Entity {
    EntityType type = EntityType::Line;
    quint64 handle = 0;
    QString layer = "0";
    int color = 256;  // 256 = by layer
    bool visible = true;
    // Line: points[0..1]; polyline: every vertex; circle/arc: points[0] is the centre.
    QList<Vertex> points;
    bool closed = false;
    double radius = 0;
    double startAngle = 0, endAngle = 0;  // arc, radians
    // Text
    QString text;
    double height = 0;
    double rotation = 0;  // radians
    double widthFactor = 1;
    int hJust = 0;  // DXF group 72
    int vJust = 0;  // DXF group 73
    QPointF insertion;
    QPointF alignmentPoint;
    bool operator==(const Entity&) const = default;
};

// The circular arc a polyline segment with a bulge describes: counter-clockwise
// from `start` through `sweep` (radians, negative: clockwise), from the
// segment's first vertex to its second. Nothing for a straight segment.
struct BulgeArc {
    QPointF centre;
    double radius = 0, start = 0, sweep = 0;
};
std::optional<BulgeArc> bulgeArc(const Vertex& from, const Vertex& to);

// Alignment codes of the automation model from the DXF justification pair.
int alignmentFromJust(int hJust, int vJust);
void justFromAlignment(int alignment, int& hJust, int& vJust);

class Drawing {
public:
    Drawing();
    const QList<Layer>& layers() const { return m_layers; }
    const QList<Entity>& entities() const { return m_entities; }

    // Index of the layer with that name (case-insensitive), or -1.
    int layerIndex(const QString& name) const;
    // The existing layer of that name, or a new one with colour 7.
    int addLayer(const QString& name, int color = 7);
    void setLayerColor(int index, int color);

    const QList<TextStyle>& styles() const { return m_styles; }
    // Index of the style with that name (case-insensitive, like layers), or -1.
    int styleIndex(const QString& name) const;
    // Adds the style unless one of that name exists; a style already there is kept as it is.
    void addStyle(const TextStyle& style);

    // Adds the entity under a fresh handle (its own handle is ignored) and returns the handle.
    quint64 addEntity(Entity e);
    Entity* entity(quint64 handle);
    // Takes the entity out of the drawing (undo of its addition); nothing when it is not there.
    void removeEntity(quint64 handle);
    const Entity* entity(quint64 handle) const;
    // Colour the entity is drawn in: its own, or its layer's when by layer.
    int effectiveColor(const Entity& e) const;
    bool operator==(const Drawing&) const = default;

private:
    QList<Layer> m_layers;
    QHash<QString, int> m_layerByKey;  // the name as compared (see layerIndex) to its index
    QList<Entity> m_entities;
    QList<TextStyle> m_styles;
    quint64 m_nextHandle = 0x100;
};
