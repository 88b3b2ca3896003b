#include "cadhost/Drawing.h"

#include <cmath>

int alignmentFromJust(int hJust, int vJust)
{
    // Aligned (3), Middle (4) and Fit (5) exist only on the baseline.
    if (hJust >= 3 || vJust == 0) return hJust;
    return 6 + (3 - vJust) * 3 + hJust;  // 6.. top, 9.. middle, 12.. bottom
}

void justFromAlignment(int alignment, int& hJust, int& vJust)
{
    if (alignment < 6) {
        hJust = alignment;
        vJust = 0;
        return;
    }
    hJust = (alignment - 6) % 3;
    vJust = 3 - (alignment - 6) / 3;
}

std::optional<BulgeArc> bulgeArc(const Vertex& a, const Vertex& b)
{
    const QPointF p(a.x, a.y), q(b.x, b.y);
    if (a.bulge == 0 || p == q) return std::nullopt;
    // The bulge is tan(sweep / 4); the centre lies off the chord's middle on
    // the side the arc turns to (left for counter-clockwise).
    const double sweep = 4 * std::atan(a.bulge);
    const QPointF chord = q - p;
    const double length = std::hypot(chord.x(), chord.y());
    const double radius = length / (2 * std::sin(std::abs(sweep) / 2));
    const QPointF left(-chord.y() / length, chord.x() / length);
    const double offset = radius * std::cos(sweep / 2) * (sweep > 0 ? 1 : -1);
    BulgeArc arc;
    arc.centre = (p + q) / 2 + left * offset;
    arc.radius = radius;
    arc.start = std::atan2(p.y() - arc.centre.y(), p.x() - arc.centre.x());
    arc.sweep = sweep;
    return arc;
}

namespace {

// Layer names compare like a CAD's: only the ASCII letters fold case.
QString asciiUpper(const QString& s)
{
    QString out = s;
    for (QChar& c : out)
        if (c >= u'a' && c <= u'z') c = QChar(c.unicode() - 32);
    return out;
}

}  // namespace

Drawing::Drawing()
{
    addLayer("0", 7);
}

// Looked up by hash: a file may bring thousands of layers, and every entity
// added looks its layer up.
int Drawing::layerIndex(const QString& name) const
{
    return m_layerByKey.value(asciiUpper(name), -1);
}

int Drawing::addLayer(const QString& name, int color)
{
    const int found = layerIndex(name);
    if (found >= 0) return found;
    m_layers.append({name, color});
    m_layerByKey.insert(asciiUpper(name), int(m_layers.size()) - 1);
    return int(m_layers.size()) - 1;
}

void Drawing::setLayerColor(int index, int color)
{
    m_layers[index].color = color;
}

int Drawing::styleIndex(const QString& name) const
{
    const QString key = asciiUpper(name);
    for (int i = 0; i < m_styles.size(); ++i)
        if (asciiUpper(m_styles[i].name) == key) return i;
    return -1;
}

void Drawing::addStyle(const TextStyle& style)
{
    if (styleIndex(style.name) < 0) m_styles.append(style);
}

quint64 Drawing::addEntity(Entity e)
{
    e.handle = m_nextHandle++;
    if (layerIndex(e.layer) < 0) addLayer(e.layer);
    m_entities.append(e);
    return e.handle;
}

Entity* Drawing::entity(quint64 handle)
{
    for (Entity& e : m_entities)
        if (e.handle == handle) return &e;
    return nullptr;
}

void Drawing::removeEntity(quint64 handle)
{
    // Undo removes the newest entities, so look from the end.
    for (qsizetype i = m_entities.size() - 1; i >= 0; --i) {
        if (m_entities[i].handle == handle) {
            m_entities.removeAt(i);
            return;
        }
    }
}

const Entity* Drawing::entity(quint64 handle) const
{
    return const_cast<Drawing*>(this)->entity(handle);
}

int Drawing::effectiveColor(const Entity& e) const
{
    if (e.color != 256 && e.color != 0) return e.color;
    const int i = layerIndex(e.layer);
    return i >= 0 ? m_layers[i].color : 7;
}
