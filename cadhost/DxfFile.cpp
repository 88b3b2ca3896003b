#include "cadhost/DxfFile.h"

#include "output/CodePage.h"

#include <QFile>

#include <cmath>

namespace {

QString escapeForDxf(const QString& s)
{
    QString out;
    for (QChar c : s) {
        if (c.unicode() >= 0x80 && toCp932(QString(c)) == "?")
            out += "\\U+" + QString("%1").arg(int(c.unicode()), 4, 16, QChar('0')).toUpper();
        else
            out += c;
    }
    return out;
}

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
    if (!drawing.styles().isEmpty()) {
        w.put(0, "TABLE"); w.put(2, "STYLE"); w.put(70, int(drawing.styles().size()));
        for (const TextStyle& st : drawing.styles()) {
            w.put(0, "STYLE"); w.put(2, st.name); w.put(70, 0);
            w.real(40, st.fixedHeight); w.real(41, st.widthFactor); w.real(50, st.obliqueDegrees);
            w.put(71, 0); w.real(42, 2.5); w.put(3, st.fontFile); w.put(4, st.bigFontFile);
        }
        w.put(0, "ENDTAB");
    }
    w.put(0, "ENDSEC");
    w.put(0, "SECTION"); w.put(2, "ENTITIES");
    for (const Entity& e : drawing.entities()) writeEntity(w, e);
    w.put(0, "ENDSEC");
    w.put(0, "EOF");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return f.write(out) == out.size() && f.flush();
}
