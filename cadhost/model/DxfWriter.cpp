#include "DxfWriter.h"
#include "DxfText.h"
#include <QSaveFile>
#include <cmath>

namespace {

class GroupWriter {
public:
    void raw(int code, const QByteArray& value)
    {
        m_out += QByteArray::number(code).rightJustified(3, ' ');
        m_out += "\r\n";
        m_out += value;
        m_out += "\r\n";
    }
    void text(int code, const QString& value) { raw(code, encodeDxfStringCp932(value)); }
    void integer(int code, int value) { raw(code, QByteArray::number(value)); }
    void real(int code, double value) { raw(code, QByteArray::number(value, 'g', 15)); }
    void point(int code, double x, double y, double z)
    {
        real(code, x);
        real(code + 10, y);
        real(code + 20, z);
    }
    QByteArray result() const { return m_out; }

private:
    QByteArray m_out;
};

void common(GroupWriter& w, const char* type, const Entity& e)
{
    w.raw(0, type);
    w.text(8, e.layer);
    if (e.color != kColorByLayer)
        w.integer(62, e.color);
    if (!e.visible)
        w.integer(60, 1);
}

void writeEntity(GroupWriter& w, const Entity& e)
{
    switch (e.type) {
    case EntityType::Line:
        common(w, "LINE", e);
        w.point(10, e.vertices.value(0).x, e.vertices.value(0).y, 0);
        w.point(11, e.vertices.value(1).x, e.vertices.value(1).y, 0);
        break;
    case EntityType::Polyline:
        common(w, "POLYLINE", e);
        w.integer(66, 1);
        w.point(10, 0, 0, 0);
        w.integer(70, e.closed ? 1 : 0);
        for (const PolylineVertex& v : e.vertices) {
            w.raw(0, "VERTEX");
            w.text(8, e.layer);
            w.point(10, v.x, v.y, 0);
            if (v.bulge != 0)
                w.real(42, v.bulge);
        }
        w.raw(0, "SEQEND");
        w.text(8, e.layer);
        break;
    case EntityType::Circle:
        common(w, "CIRCLE", e);
        w.point(10, e.center.x, e.center.y, e.center.z);
        w.real(40, e.radius);
        break;
    case EntityType::Arc:
        common(w, "ARC", e);
        w.point(10, e.center.x, e.center.y, e.center.z);
        w.real(40, e.radius);
        w.real(50, e.startAngle);
        w.real(51, e.endAngle);
        break;
    case EntityType::Text: {
        const TextData& t = e.text;
        common(w, "TEXT", e);
        w.point(10, t.insertion.x, t.insertion.y, t.insertion.z);
        w.real(40, t.height);
        w.text(1, t.string);
        if (t.rotation != 0)
            w.real(50, t.rotation * 180.0 / M_PI);
        if (t.widthFactor != 1)
            w.real(41, t.widthFactor);
        int h = 0, v = 0;
        alignmentToDxf(t.alignment, h, v);
        if (h != 0)
            w.integer(72, h);
        if (h != 0 || v != 0)
            w.point(11, t.alignmentPoint.x, t.alignmentPoint.y, t.alignmentPoint.z);
        if (v != 0)
            w.integer(73, v);
        break;
    }
    }
}

} // namespace

QByteArray dxfData(const Drawing& drawing)
{
    GroupWriter w;
    w.raw(0, "SECTION");
    w.raw(2, "HEADER");
    w.raw(9, "$ACADVER");
    w.raw(1, "AC1009");
    w.raw(9, "$DWGCODEPAGE");
    w.raw(3, "ANSI_932");
    w.raw(0, "ENDSEC");

    w.raw(0, "SECTION");
    w.raw(2, "TABLES");
    w.raw(0, "TABLE");
    w.raw(2, "LAYER");
    w.integer(70, int(drawing.layers().size()));
    for (const Layer& layer : drawing.layers()) {
        w.raw(0, "LAYER");
        w.text(2, layer.name);
        w.integer(70, 0);
        w.integer(62, layer.off ? -layer.color : layer.color);
        w.raw(6, "CONTINUOUS");
    }
    w.raw(0, "ENDTAB");
    w.raw(0, "ENDSEC");

    w.raw(0, "SECTION");
    w.raw(2, "ENTITIES");
    for (qsizetype i = 0; i < drawing.entityCount(); ++i)
        writeEntity(w, drawing.entityAt(i));
    w.raw(0, "ENDSEC");
    w.raw(0, "EOF");
    return w.result();
}

bool writeDxf(const Drawing& drawing, const QString& path, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(dxfData(drawing)) < 0 || !file.commit()) {
        if (error)
            *error = QStringLiteral("DXF ファイルを書き込めません (%1): %2").arg(file.errorString(), path);
        return false;
    }
    return true;
}
