#include "Drawing.h"

namespace {

char16_t asciiUpper(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? char16_t(c - u'a' + u'A') : c;
}

} // namespace

bool sameLayerName(const QString& a, const QString& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (asciiUpper(a.at(i).unicode()) != asciiUpper(b.at(i).unicode()))
            return false;
    return true;
}

Drawing::Drawing()
{
    m_layers.append(Layer{QStringLiteral("0"), 7, false});
}

int Drawing::layerIndex(const QString& name) const
{
    for (int i = 0; i < m_layers.size(); ++i)
        if (sameLayerName(m_layers.at(i).name, name))
            return i;
    return -1;
}

const Layer* Drawing::layer(const QString& name) const
{
    const int i = layerIndex(name);
    return i < 0 ? nullptr : &m_layers.at(i);
}

int Drawing::addLayer(const Layer& layer)
{
    const int existing = layerIndex(layer.name);
    if (existing >= 0)
        return existing;
    m_layers.append(layer);
    return int(m_layers.size() - 1);
}

void Drawing::setLayerColor(int index, int aci)
{
    m_layers[index].color = aci;
}

const Entity* Drawing::entity(quint64 handle) const
{
    for (const auto& e : m_entities)
        if (e->handle == handle)
            return e.get();
    return nullptr;
}

quint64 Drawing::addEntity(Entity entity)
{
    entity.handle = m_nextHandle++;
    if (entity.layer.isEmpty())
        entity.layer = QStringLiteral("0");
    if (layerIndex(entity.layer) < 0)
        addLayer(Layer{entity.layer, 7, false});
    m_entities.append(std::make_shared<const Entity>(std::move(entity)));
    return m_entities.last()->handle;
}

bool Drawing::replaceEntity(const Entity& entity)
{
    for (auto& e : m_entities) {
        if (e->handle == entity.handle) {
            e = std::make_shared<const Entity>(entity);
            return true;
        }
    }
    return false;
}

int Drawing::displayColor(const Entity& entity) const
{
    if (entity.color == kColorByLayer) {
        const Layer* l = layer(entity.layer);
        return l ? l->color : 7;
    }
    if (entity.color == kColorByBlock)
        return 7;
    return entity.color;
}

bool Drawing::isShown(const Entity& entity) const
{
    if (!entity.visible)
        return false;
    const Layer* l = layer(entity.layer);
    return !l || !l->off;
}
