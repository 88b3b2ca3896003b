#include "cadhost/Drawing.h"

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

Drawing::Drawing()
{
    m_layers.append({"0", 7});
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

int Drawing::layerIndex(const QString& name) const
{
    const QString key = asciiUpper(name);
    for (int i = 0; i < m_layers.size(); ++i)
        if (asciiUpper(m_layers[i].name) == key) return i;
    return -1;
}

int Drawing::addLayer(const QString& name, int color)
{
    const int found = layerIndex(name);
    if (found >= 0) return found;
    m_layers.append({name, color});
    return int(m_layers.size()) - 1;
}

void Drawing::setLayerColor(int index, int color)
{
    m_layers[index].color = color;
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
