#pragma once
// A drawing: its layers and entities. A plain value: copies are cheap
// (entities are shared until one is replaced), which is what the undo history
// keeps.
#include "Entity.h"
#include <QList>
#include <memory>

// Layer names compare like a CAD's: only the ASCII letters ignore case.
bool sameLayerName(const QString& a, const QString& b);

class Drawing {
public:
    Drawing();

    const QList<Layer>& layers() const { return m_layers; }
    int layerIndex(const QString& name) const; // -1 when absent
    const Layer* layer(const QString& name) const;
    // Appends a layer unless one of that name exists; returns its index.
    int addLayer(const Layer& layer);
    void setLayerColor(int index, int aci);

    qsizetype entityCount() const { return m_entities.size(); }
    const Entity& entityAt(qsizetype i) const { return *m_entities.at(i); }
    const Entity* entity(quint64 handle) const;
    // Gives the entity a new handle (and its layer, if missing) and appends it.
    quint64 addEntity(Entity entity);
    // Replaces the entity of the same handle; false when there is none.
    bool replaceEntity(const Entity& entity);

    // The ACI an entity is drawn in: by layer resolved, by block as 7.
    int displayColor(const Entity& entity) const;
    bool isShown(const Entity& entity) const;

private:
    QList<Layer> m_layers;
    QList<std::shared_ptr<const Entity>> m_entities;
    quint64 m_nextHandle = 0x20;
};
