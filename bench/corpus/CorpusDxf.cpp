#include "CorpusDxf.h"
#include <QFile>

void CorpusDxf::group(int code, const QString& value)
{
    m_entities += QString::number(code).rightJustified(3) + "\n" + value + "\n";
}

void CorpusDxf::group(int code, double value) { group(code, QString::number(value, 'f', 6)); }

void CorpusDxf::addLayer(const QString& name, int aci) { m_layers.append({name, aci}); }

void CorpusDxf::addLine(const QString& layer, QPointF a, QPointF b, int aci)
{
    group(0, "LINE");
    group(8, layer);
    group(62, QString::number(aci));
    group(10, a.x());
    group(20, a.y());
    group(30, 0.0);
    group(11, b.x());
    group(21, b.y());
    group(31, 0.0);
}

void CorpusDxf::addClosedPolyline(const QString& layer, const QPolygonF& points, int aci)
{
    group(0, "POLYLINE");
    group(8, layer);
    group(62, QString::number(aci));
    group(66, "1");
    group(10, 0.0);
    group(20, 0.0);
    group(30, 0.0);
    group(70, "1");
    for (const QPointF& p : points) {
        group(0, "VERTEX");
        group(8, layer);
        group(10, p.x());
        group(20, p.y());
        group(30, 0.0);
    }
    group(0, "SEQEND");
    group(8, layer);
}

void CorpusDxf::addText(const QString& layer, const QString& text, QPointF insertion, double height,
                        double angleDeg, int aci)
{
    group(0, "TEXT");
    group(8, layer);
    group(62, QString::number(aci));
    group(10, insertion.x());
    group(20, insertion.y());
    group(30, 0.0);
    group(40, height);
    group(1, escapeText(text));
    group(50, angleDeg);
}

QString CorpusDxf::escapeText(const QString& text)
{
    QString out;
    for (const char32_t c : text.toUcs4()) {
        if (c >= 0x20 && c < 0x7F && c != '\\')
            out += QChar(char16_t(c));
        else
            out += QString::asprintf("\\U+%04X", unsigned(c));
    }
    return out;
}

bool CorpusDxf::save(const QString& path) const
{
    QString head;
    auto g = [&head](int code, const QString& v) { head += QString::number(code).rightJustified(3) + "\n" + v + "\n"; };
    g(0, "SECTION"); g(2, "HEADER");
    g(9, "$ACADVER"); g(1, "AC1009");
    g(9, "$DWGCODEPAGE"); g(3, "ANSI_932");
    g(0, "ENDSEC");
    g(0, "SECTION"); g(2, "TABLES");
    g(0, "TABLE"); g(2, "LAYER"); g(70, QString::number(m_layers.size()));
    for (const auto& [name, aci] : m_layers) {
        g(0, "LAYER"); g(2, name); g(70, "0"); g(62, QString::number(aci)); g(6, "CONTINUOUS");
    }
    g(0, "ENDTAB");
    g(0, "ENDSEC");
    g(0, "SECTION"); g(2, "ENTITIES");
    QString tail;
    tail += "  0\nENDSEC\n  0\nEOF\n";
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray bytes = (head + m_entities + tail).toLatin1().replace("\n", "\r\n");
    return file.write(bytes) == bytes.size() && file.flush();
}
