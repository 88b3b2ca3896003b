// The host's undo records what each change touched: undo puts back exactly
// the entities and layers as they were, step by step, marks as one step.
#include "cadhost/UndoStack.h"

#include <gtest/gtest.h>

namespace {

Entity textEntity(const QString& s)
{
    Entity e;
    e.type = EntityType::Text;
    e.text = s;
    e.height = 2.5;
    return e;
}

// What a client sees of the drawing (handles included, not the next free handle).
struct Seen {
    QList<Entity> entities;
    QList<Layer> layers;
    bool operator==(const Seen&) const = default;
};
Seen seen(const Drawing& d) { return {d.entities(), d.layers()}; }

// The changes the automation calls make, recorded as they do.
struct Host {
    Drawing drawing;
    UndoStack undo;

    quint64 addText(const QString& s)
    {
        const quint64 h = drawing.addEntity(textEntity(s));
        undo.entityAdded(h);
        return h;
    }
    void put(quint64 h, double widthFactor)
    {
        undo.aboutToChangeEntity(drawing, h);
        drawing.entity(h)->widthFactor = widthFactor;
    }
    void layerColor(int index, int color)
    {
        undo.aboutToChangeLayerColor(drawing, index);
        drawing.setLayerColor(index, color);
    }
};

}  // namespace

TEST(UndoStackDeltas, EachChangeOutsideAMarkIsOneStepUndoneExactly)
{
    Host host;
    host.drawing.addLayer("MIRTEX", 30);
    const Seen start = seen(host.drawing);
    const quint64 a = host.addText("a");
    const Seen added = seen(host.drawing);
    host.put(a, 0.5);
    const Seen changed = seen(host.drawing);
    host.layerColor(1, 5);
    EXPECT_EQ(host.undo.steps(), 3);

    ASSERT_TRUE(host.undo.undo(host.drawing));
    EXPECT_EQ(seen(host.drawing), changed);
    ASSERT_TRUE(host.undo.undo(host.drawing));
    EXPECT_EQ(seen(host.drawing), added);
    ASSERT_TRUE(host.undo.undo(host.drawing));
    EXPECT_EQ(seen(host.drawing), start);
    EXPECT_FALSE(host.undo.undo(host.drawing));
}

TEST(UndoStackDeltas, AMarkUndoesAsOneStepWhateverItsChangesWere)
{
    Host host;
    const quint64 old = host.addText("old");
    const Seen before = seen(host.drawing);
    host.undo.startMark(host.drawing);
    for (int i = 0; i < 50; ++i) {
        const quint64 t = host.addText(QString::number(i));
        host.put(t, 1.0);
        host.put(t, 0.8);
        host.put(old, 0.1 * (i % 9 + 1));
    }
    host.layerColor(0, 3);
    // A command inside the mark that records the drawing as a whole.
    host.undo.aboutToChange(host.drawing);
    host.put(old, 0.33);
    host.addText("after the copy");
    host.undo.endMark();
    EXPECT_EQ(host.undo.steps(), 2);

    ASSERT_TRUE(host.undo.undo(host.drawing));
    EXPECT_EQ(seen(host.drawing), before);
    EXPECT_EQ(host.undo.steps(), 1);
}

TEST(UndoStackDeltas, EmptyMarkMakesNoStepAndUndoInsideAMarkStartsANewOne)
{
    Host host;
    host.addText("kept");
    host.undo.startMark(host.drawing);
    host.undo.endMark();
    EXPECT_EQ(host.undo.steps(), 1);

    host.undo.startMark(host.drawing);
    host.addText("x");
    ASSERT_TRUE(host.undo.undo(host.drawing));  // U while a client's mark is open
    const quint64 y = host.addText("y");
    host.put(y, 0.7);
    host.undo.endMark();
    EXPECT_EQ(host.undo.steps(), 2);
    ASSERT_TRUE(host.undo.undo(host.drawing));
    ASSERT_EQ(host.drawing.entities().size(), 1);
    EXPECT_EQ(host.drawing.entities()[0].text, "kept");
}

TEST(UndoStackDeltas, ChangesOfUnknownEntitiesOrLayersRecordNothing)
{
    Host host;
    host.undo.aboutToChangeEntity(host.drawing, 0xDEAD);
    host.undo.aboutToChangeLayerColor(host.drawing, 7);
    EXPECT_EQ(host.undo.steps(), 0);
}
