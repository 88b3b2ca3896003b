// Reading ASCII DXF files. The file is untrusted: every count in it is
// ignored (lists grow with what is really there), strings are cut to the
// lengths a CAD allows, sizes are bounded, and any malformed group refuses the
// whole file instead of guessing.
#include "cadhost/DxfFile.h"

#include "output/CodePage.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

namespace {

// One group: its code and the value line as it stands in the file.
struct Group {
    int code = 0;
    QByteArrayView value;
};

// Splits the file into groups: a code line, then a value line. A code that is
// not an integer of the DXF range, or a file that ends after a code, is malformed.
class GroupReader {
public:
    explicit GroupReader(QByteArrayView bytes) : m_bytes(bytes)
    {
        if (m_bytes.startsWith("\xEF\xBB\xBF")) m_pos = 3;
    }
    // The next group; nothing at the end of the data or when it is malformed.
    std::optional<Group> next()
    {
        if (m_pos >= m_bytes.size()) return std::nullopt;
        const auto code = toInt(line());
        if (!code || *code < -5 || *code > 1071 || m_pos >= m_bytes.size()) {
            m_malformed = true;
            return std::nullopt;
        }
        return Group{*code, line()};
    }
    bool malformed() const { return m_malformed; }

    static std::optional<int> toInt(QByteArrayView v)
    {
        v = v.trimmed();
        int out = 0;
        const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), out);
        if (v.isEmpty() || ec != std::errc() || end != v.data() + v.size()) return std::nullopt;
        return out;
    }

private:
    QByteArrayView line()
    {
        const qsizetype end = m_bytes.indexOf('\n', m_pos);
        const qsizetype stop = end < 0 ? m_bytes.size() : end;
        QByteArrayView l = m_bytes.sliced(m_pos, stop - m_pos);
        m_pos = stop + 1;
        if (l.endsWith('\r')) l.chop(1);
        return l;
    }
    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
    bool m_malformed = false;
};

// The code page the strings are in comes from the header, which is read first.
bool isUtf8File(QByteArrayView bytes)
{
    QByteArray acadVer, codePage;
    GroupReader reader(bytes);
    QByteArray variable;
    while (const auto g = reader.next()) {
        if (g->code == 0 && g->value.trimmed() == "ENDSEC") break;  // the header is the first section
        if (g->code == 9) variable = g->value.trimmed().toByteArray();
        else if (variable == "$ACADVER" && g->code == 1) acadVer = g->value.trimmed().toByteArray();
        else if (variable == "$DWGCODEPAGE" && g->code == 3) codePage = g->value.trimmed().toByteArray();
    }
    if (acadVer >= "AC1021") return true;  // 2007 and later store UTF-8
    return !codePage.isEmpty() && codePage.toUpper() != "ANSI_932";
}

// An angle of the file in radians within [0, 2π): a huge one would keep the
// arc sweep loops of the extents and the view turning for ever.
double radiansFromDegrees(double degrees)
{
    double d = std::fmod(degrees, 360.0);
    if (d < 0) d += 360.0;
    return d * M_PI / 180.0;
}

// What one entity or table entry has collected; groups not listed are skipped.
struct Record {
    QByteArray type;
    QByteArrayView layer = "0", text, style, name, font, bigFont;
    bool hasText = false, hasAlignment = false, paperSpace = false, invisible = false;
    int color = 256, flags = 0, hJust = 0, vJust = 0;
    double x = 0, y = 0, x2 = 0, y2 = 0, radius = 0, height = 0, widthFactor = 1, angle = 0, angle2 = 0,
           bulge = 0;
    QList<Vertex> vertices;  // LWPOLYLINE
};

class Reader {
public:
    Reader(QByteArrayView bytes, bool utf8) : m_groups(bytes), m_utf8(utf8) {}

    // Fills the drawing; the reason when the file is refused.
    std::optional<QString> read(Drawing& out)
    {
        QByteArray section;
        bool inRecord = false;
        while (const auto g = m_groups.next()) {
            if (g->code != 0) {
                if (g->code == 2 && m_expectSectionName) section = g->value.trimmed().toByteArray();
                m_expectSectionName = false;
                if (inRecord && !take(*g))
                    return QString(m_tooBig ? "DXF ファイルが大きすぎます" : "DXF ファイルとして読めません");
                continue;
            }
            if (inRecord) {
                if (const auto why = finish(section, out)) return why;
                inRecord = false;
            }
            const QByteArrayView type = g->value.trimmed();
            if (type == "EOF") {
                flushPolyline(out);
                return std::nullopt;
            }
            if (type == "SECTION") {
                m_expectSectionName = true;
            } else if (type == "ENDSEC") {
                flushPolyline(out);
                section.clear();
            } else {
                m_record = Record();
                m_record.type = type.toByteArray();
                inRecord = true;
            }
        }
        return QString("DXF ファイルとして読めません");  // malformed, or cut off before EOF
    }

private:
    // Takes one group into the record; false for a number that is not one.
    bool take(const Group& g)
    {
        Record& r = m_record;
        switch (g.code) {
        case 1: r.text = g.value; r.hasText = true; return true;
        case 2: r.name = g.value; return true;
        case 3: r.font = g.value; return true;
        case 4: r.bigFont = g.value; return true;
        case 7: r.style = g.value; return true;
        case 8: r.layer = g.value; return true;
        case 10:
            if (r.type == "LWPOLYLINE") {
                if (++m_vertices > kMaxVertices) return tooBig();
                r.vertices.append(Vertex());
                return real(g, r.vertices.last().x);
            }
            return real(g, r.x);
        case 20: return r.type == "LWPOLYLINE" ? (r.vertices.isEmpty() || real(g, r.vertices.last().y)) : real(g, r.y);
        case 11: r.hasAlignment = true; return real(g, r.x2);
        case 21: return real(g, r.y2);
        case 40: return real(g, r.type == "TEXT" || r.type == "STYLE" ? r.height : r.radius);
        case 41: return real(g, r.widthFactor);
        case 42:
            if (r.type == "LWPOLYLINE") return r.vertices.isEmpty() || real(g, r.vertices.last().bulge);
            return real(g, r.bulge);
        case 50: return real(g, r.angle);
        case 51: return real(g, r.angle2);
        case 60: return integer(g, [&](int v) { r.invisible = v == 1; });
        case 62: return integer(g, [&](int v) { r.color = v; });
        case 67: return integer(g, [&](int v) { r.paperSpace = v == 1; });
        case 70: return integer(g, [&](int v) { r.flags = v; });
        case 72: return integer(g, [&](int v) { r.hJust = v; });
        case 73: return integer(g, [&](int v) { r.vJust = v; });
        default: return true;
        }
    }
    bool real(const Group& g, double& out)
    {
        QByteArrayView v = g.value.trimmed();
        if (v.startsWith('+')) v = v.sliced(1);
        double d = 0;
        const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), d);
        if (v.isEmpty() || ec != std::errc() || end != v.data() + v.size() || !std::isfinite(d)) return false;
        out = d;
        return true;
    }
    template <typename Set> bool integer(const Group& g, Set set)
    {
        const auto v = GroupReader::toInt(g.value);
        if (v) set(*v);
        return v.has_value();
    }
    bool tooBig()
    {
        m_tooBig = true;
        return false;
    }

    std::optional<QString> finish(const QByteArray& section, Drawing& out)
    {
        if (section == "TABLES") {
            finishTableEntry(out);
            return std::nullopt;
        }
        if (section != "ENTITIES" || m_record.paperSpace) return std::nullopt;
        // A polyline's vertices are counted as vertices, not as entities.
        const bool vertexRecord = m_record.type == "VERTEX" || m_record.type == "SEQEND";
        if (!vertexRecord && ++m_entities > kMaxEntities) m_tooBig = true;
        else finishEntity(out);
        if (m_tooBig) return QString("DXF ファイルが大きすぎます");
        return std::nullopt;
    }

    void finishTableEntry(Drawing& out)
    {
        const Record& r = m_record;
        const QString name = decode(r.name, kMaxNameLength).trimmed();
        if (name.isEmpty()) return;
        if (r.type == "LAYER") {
            const int color = std::abs(r.color);  // negative: the layer is off
            out.setLayerColor(out.addLayer(name), color >= 1 && color <= 255 ? color : 7);
        } else if (r.type == "STYLE") {
            out.addStyle({name, decode(r.font, kMaxNameLength).trimmed(), decode(r.bigFont, kMaxNameLength).trimmed(),
                          r.height, r.widthFactor, r.angle});
        }
    }

    void finishEntity(Drawing& out)
    {
        const Record& r = m_record;
        if (r.type == "VERTEX") {
            if (m_polyline && !(r.flags & 16)) {  // 16: a spline's frame point, not on the curve
                if (++m_vertices > kMaxVertices) m_tooBig = true;
                else m_polyline->points.append({r.x, r.y, r.bulge});
            }
            return;
        }
        if (r.type == "SEQEND") return flushPolyline(out);
        flushPolyline(out);
        Entity e;
        e.layer = decode(r.layer, kMaxNameLength).trimmed();
        if (e.layer.isEmpty()) e.layer = "0";
        e.color = r.color >= 0 && r.color <= 256 ? r.color : 256;
        e.visible = !r.invisible;
        if (r.type == "LINE") {
            e.type = EntityType::Line;
            e.points = {{r.x, r.y, 0}, {r.x2, r.y2, 0}};
        } else if (r.type == "CIRCLE" || r.type == "ARC") {
            e.type = r.type == "ARC" ? EntityType::Arc : EntityType::Circle;
            e.points = {{r.x, r.y, 0}};
            e.radius = std::abs(r.radius);
            e.startAngle = radiansFromDegrees(r.angle);
            e.endAngle = radiansFromDegrees(r.angle2);
        } else if (r.type == "LWPOLYLINE" || r.type == "POLYLINE") {
            e.type = EntityType::Polyline;
            e.closed = (r.flags & 1) != 0;
            e.points = r.vertices;
            if (r.type == "POLYLINE") {
                m_polyline = e;  // its vertices follow as entities of their own
                return;
            }
        } else if (r.type == "TEXT") {
            e.type = EntityType::Text;
            e.text = decode(r.text, kMaxTextLength);
            if ((m_textCharacters += e.text.size()) > kMaxTextCharacters) m_tooBig = true;
            e.height = r.height;
            e.widthFactor = std::clamp(r.widthFactor, 0.01, 100.0);  // a CAD's range
            e.rotation = radiansFromDegrees(r.angle);
            e.hJust = r.hJust >= 0 && r.hJust <= 5 ? r.hJust : 0;
            e.vJust = r.vJust >= 0 && r.vJust <= 3 ? r.vJust : 0;
            e.insertion = {r.x, r.y};
            // Without its own, the alignment point is the insertion point.
            e.alignmentPoint = r.hasAlignment ? QPointF(r.x2, r.y2) : e.insertion;
        } else {
            return;  // an entity the host does not draw
        }
        out.addEntity(e);
    }

    void flushPolyline(Drawing& out)
    {
        if (m_polyline) out.addEntity(*m_polyline);
        m_polyline.reset();
    }

    // A string of the file: cut to what a CAD keeps before and after decoding,
    // so a hostile length costs nothing later (layout, layer look-ups).
    QString decode(QByteArrayView raw, qsizetype maxLength) const
    {
        raw = raw.first(std::min(raw.size(), maxLength * 8));  // room for \U+XXXX escapes
        QString s = decodeDxfEscapes(m_utf8 ? QString::fromUtf8(raw) : fromCp932(raw.toByteArray()));
        if (s.size() > maxLength) {
            s.truncate(maxLength);
            if (s.back().isHighSurrogate()) s.chop(1);
        }
        return s;
    }

    GroupReader m_groups;
    bool m_utf8;
    bool m_expectSectionName = false;
    bool m_tooBig = false;
    Record m_record;
    std::optional<Entity> m_polyline;
    qsizetype m_entities = 0, m_vertices = 0, m_textCharacters = 0;
};

}  // namespace

QString decodeDxfEscapes(const QString& text)
{
    if (!text.contains(u'\\')) return text;
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

DxfReadResult readDxfBytes(const QByteArray& bytes)
{
    DxfReadResult r;
    Drawing drawing;
    if (const auto why = Reader(bytes, isUtf8File(bytes)).read(drawing)) {
        r.message = *why;
        return r;
    }
    r.drawing = std::move(drawing);
    r.ok = true;
    return r;
}

DxfReadResult readDxf(const QString& path)
{
    DxfReadResult r;
    const QFileInfo info(path);
    if (!info.exists()) {
        r.message = QString("ファイルが見つかりません: %1").arg(path);
        return r;
    }
    // Only a regular file: a FIFO would block for ever, a device never end.
    QFile f(path);
    if (!info.isFile() || !f.open(QIODevice::ReadOnly)) {
        r.message = QString("ファイルを開けません: %1").arg(path);
        return r;
    }
    const QByteArray bytes = f.read(kMaxDxfFileBytes + 1);  // the size a file claims is not trusted either
    if (bytes.size() > kMaxDxfFileBytes) {
        r.message = QString("DXF ファイルが大きすぎます: %1").arg(path);
        return r;
    }
    r = readDxfBytes(bytes);
    if (!r.ok) r.message += ": " + path;
    return r;
}
