#include "cadhost/DxfFile.h"

#include "output/CodePage.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextStream>
#include <dxflib/dl_creationadapter.h>
#include <dxflib/dl_dxf.h>

#include <cmath>

namespace {

// Collects entities with raw text bytes; the encoding is known only once the
// header has been read in full, so strings are decoded at the end.
class Collector : public DL_CreationAdapter {
public:
    Drawing drawing;
    QList<QByteArray> rawTexts;  // parallel to the text entities, in order
    QByteArray acadVer, codePage;

    void setVariableString(const std::string& key, const std::string& value, int) override
    {
        if (key == "$ACADVER") acadVer = QByteArray::fromStdString(value);
        if (key == "$DWGCODEPAGE") codePage = QByteArray::fromStdString(value);
    }
    void addLayer(const DL_LayerData& d) override
    {
        const int i = drawing.addLayer(raw(d.name), 7);
        drawing.setLayerColor(i, std::abs(attributes.getColor()));
    }
    void addLine(const DL_LineData& d) override
    {
        Entity e = base(EntityType::Line);
        e.points = {{d.x1, d.y1, 0}, {d.x2, d.y2, 0}};
        drawing.addEntity(e);
    }
    void addCircle(const DL_CircleData& d) override
    {
        Entity e = base(EntityType::Circle);
        e.points = {{d.cx, d.cy, 0}};
        e.radius = d.radius;
        drawing.addEntity(e);
    }
    void addArc(const DL_ArcData& d) override
    {
        Entity e = base(EntityType::Arc);
        e.points = {{d.cx, d.cy, 0}};
        e.radius = d.radius;
        e.startAngle = d.angle1 * M_PI / 180.0;
        e.endAngle = d.angle2 * M_PI / 180.0;
        drawing.addEntity(e);
    }
    void addPolyline(const DL_PolylineData& d) override
    {
        flushPolyline();
        m_poly = base(EntityType::Polyline);
        m_poly->closed = (d.flags & 1) != 0;
    }
    void addVertex(const DL_VertexData& d) override
    {
        if (m_poly) m_poly->points.append({d.x, d.y, d.bulge});
    }
    void endEntity() override { flushPolyline(); }
    void endSequence() override { flushPolyline(); }
    void addText(const DL_TextData& d) override
    {
        flushPolyline();
        Entity e = base(EntityType::Text);
        e.insertion = {d.ipx, d.ipy};
        e.alignmentPoint = {d.apx, d.apy};
        e.height = d.height;
        e.widthFactor = d.xScaleFactor;
        e.hJust = d.hJustification;
        e.vJust = d.vJustification;
        e.rotation = d.angle;  // dxflib hands the angle over in radians
        rawTexts.append(QByteArray::fromStdString(d.text));
        drawing.addEntity(e);
    }
    void flushPolyline()
    {
        if (m_poly) drawing.addEntity(*m_poly);
        m_poly.reset();
    }

private:
    QString raw(const std::string& s) { return QString::fromLatin1(s); }
    Entity base(EntityType t)
    {
        flushPolyline();
        Entity e;
        e.type = t;
        e.layer = raw(attributes.getLayer());
        e.color = attributes.getColor();
        return e;
    }
    std::optional<Entity> m_poly;
};

bool isUtf8File(const QByteArray& acadVer, const QByteArray& codePage)
{
    if (acadVer >= "AC1021") return true;  // 2007 and later store UTF-8
    return !codePage.isEmpty() && codePage.toUpper() != "ANSI_932";
}

QString decodeRaw(const QByteArray& bytes, bool utf8)
{
    return decodeDxfEscapes(utf8 ? QString::fromUtf8(bytes) : fromCp932(bytes));
}

QString escapeForDxf(const QString& s)
{
    QString out;
    for (QChar c : s) {
        if (toCp932(QString(c)) == "?" && c != u'?')
            out += "\\U+" + QString("%1").arg(int(c.unicode()), 4, 16, QChar('0')).toUpper();
        else
            out += c;
    }
    return out;
}

}  // namespace

QString decodeDxfEscapes(const QString& text)
{
    static const QRegularExpression re(R"(\\[Uu]\+([0-9A-Fa-f]{4}))");
    QString out;
    qsizetype last = 0;
    for (auto it = re.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        out += text.mid(last, m.capturedStart() - last);
        out += QChar(char16_t(m.captured(1).toUShort(nullptr, 16)));
        last = m.capturedEnd();
    }
    return out + text.mid(last);
}

DxfReadResult readDxf(const QString& path)
{
    DxfReadResult r;
    if (!QFile::exists(path)) {
        r.message = QString("ファイルが見つかりません: %1").arg(path);
        return r;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        r.message = QString("ファイルを開けません: %1").arg(path);
        return r;
    }
    const QByteArray bytes = f.readAll();
    if (!bytes.contains("SECTION") || !bytes.contains("EOF")) {
        r.message = QString("DXF ファイルとして読めません: %1").arg(path);
        return r;
    }
    Collector c;
    DL_Dxf dxf;
    std::istringstream in(bytes.toStdString());
    if (!dxf.in(in, &c)) {
        r.message = QString("DXF ファイルとして読めません: %1").arg(path);
        return r;
    }
    c.flushPolyline();
    const bool utf8 = isUtf8File(c.acadVer, c.codePage);
    Drawing out;
    int textIndex = 0;
    for (const Layer& l : c.drawing.layers()) {
        const QString name = decodeRaw(l.name.toLatin1(), utf8);
        out.setLayerColor(out.addLayer(name, l.color), l.color);
    }
    for (Entity e : c.drawing.entities()) {
        e.layer = decodeRaw(e.layer.toLatin1(), utf8);
        if (e.type == EntityType::Text) e.text = decodeRaw(c.rawTexts.value(textIndex++), utf8);
        out.addEntity(e);
    }
    r.drawing = out;
    r.ok = true;
    return r;
}

namespace {

class GroupWriter {
public:
    explicit GroupWriter(QByteArray& out) : m_out(out) {}
    void put(int code, const QByteArray& value)
    {
        m_out += QByteArray::number(code).rightJustified(3, ' ') + "\r\n" + value + "\r\n";
    }
    void put(int code, const QString& value) { put(code, toCp932(escapeForDxf(value))); }
    void put(int code, const char* value) { put(code, QByteArray(value)); }
    void put(int code, int value) { put(code, QByteArray::number(value)); }
    void real(int code, double value) { put(code, QByteArray::number(value, 'g', 17)); }

private:
    QByteArray& m_out;
};

void writeCommon(GroupWriter& w, const char* type, const Entity& e)
{
    w.put(0, type);
    w.put(8, e.layer);
    w.put(62, e.color);
    if (!e.visible) w.put(60, 1);
}

void writeEntity(GroupWriter& w, const Entity& e)
{
    switch (e.type) {
    case EntityType::Line:
        writeCommon(w, "LINE", e);
        w.real(10, e.points[0].x); w.real(20, e.points[0].y); w.real(30, 0);
        w.real(11, e.points[1].x); w.real(21, e.points[1].y); w.real(31, 0);
        break;
    case EntityType::Circle:
    case EntityType::Arc:
        writeCommon(w, e.type == EntityType::Arc ? "ARC" : "CIRCLE", e);
        w.real(10, e.points[0].x); w.real(20, e.points[0].y); w.real(30, 0);
        w.real(40, e.radius);
        if (e.type == EntityType::Arc) {
            w.real(50, e.startAngle * 180.0 / M_PI);
            w.real(51, e.endAngle * 180.0 / M_PI);
        }
        break;
    case EntityType::Polyline:
        writeCommon(w, "POLYLINE", e);
        w.put(66, 1);
        w.real(10, 0); w.real(20, 0); w.real(30, 0);
        w.put(70, e.closed ? 1 : 0);
        for (const Vertex& v : e.points) {
            w.put(0, "VERTEX");
            w.put(8, e.layer);
            w.real(10, v.x); w.real(20, v.y); w.real(30, 0);
            if (v.bulge != 0) w.real(42, v.bulge);
        }
        w.put(0, "SEQEND");
        w.put(8, e.layer);
        break;
    case EntityType::Text:
        writeCommon(w, "TEXT", e);
        w.real(10, e.insertion.x()); w.real(20, e.insertion.y()); w.real(30, 0);
        w.real(40, e.height);
        w.put(1, e.text);
        w.real(50, e.rotation * 180.0 / M_PI);
        w.real(41, e.widthFactor);
        w.put(72, e.hJust);
        w.real(11, e.alignmentPoint.x()); w.real(21, e.alignmentPoint.y()); w.real(31, 0);
        w.put(73, e.vJust);
        break;
    }
}

}  // namespace

bool writeDxf(const Drawing& drawing, const QString& path)
{
    QByteArray out;
    GroupWriter w(out);
    w.put(0, "SECTION"); w.put(2, "HEADER");
    w.put(9, "$ACADVER"); w.put(1, "AC1009");
    w.put(9, "$DWGCODEPAGE"); w.put(3, "ANSI_932");
    w.put(0, "ENDSEC");
    w.put(0, "SECTION"); w.put(2, "TABLES");
    w.put(0, "TABLE"); w.put(2, "LAYER"); w.put(70, int(drawing.layers().size()));
    for (const Layer& l : drawing.layers()) {
        w.put(0, "LAYER"); w.put(2, l.name); w.put(70, 0); w.put(62, l.color); w.put(6, "CONTINUOUS");
    }
    w.put(0, "ENDTAB");
    w.put(0, "ENDSEC");
    w.put(0, "SECTION"); w.put(2, "ENTITIES");
    for (const Entity& e : drawing.entities()) writeEntity(w, e);
    w.put(0, "ENDSEC");
    w.put(0, "EOF");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return f.write(out) == out.size() && f.flush();
}
