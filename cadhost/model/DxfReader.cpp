#include "DxfReader.h"
#include "DxfText.h"
#include "TextGeometry.h"
#include <QFile>
#include <QFileInfo>
#include <dxflib/dl_creationadapter.h>
#include <dxflib/dl_dxf.h>
#include <cmath>
#include <sstream>

namespace {

// dxflib quietly accepts anything; a drawing must at least be a sequence of
// group code / value lines with a section and the end-of-file marker.
QString structureError(const QByteArray& data)
{
    if (data.startsWith("AutoCAD Binary DXF"))
        return QStringLiteral("バイナリ DXF には対応していません");
    const QList<QByteArray> lines = data.split('\n');
    bool section = false, eof = false;
    qsizetype i = 0;
    for (; i + 1 < lines.size(); i += 2) {
        bool ok = false;
        const int code = lines.at(i).trimmed().toInt(&ok);
        if (!ok)
            return QStringLiteral("%1 行目がグループコードではありません").arg(i + 1);
        const QByteArray value = lines.at(i + 1).trimmed();
        if (code == 0 && value == "SECTION")
            section = true;
        if (code == 0 && value == "EOF") {
            eof = true;
            break;
        }
    }
    if (!section)
        return QStringLiteral("セクションがありません");
    if (!eof)
        return QStringLiteral("EOF がありません (途中で切れています)");
    return {};
}

struct RawText {
    qsizetype entityIndex;
    QByteArray bytes;
};

class Collector : public DL_CreationAdapter {
public:
    // Names and strings stay bytes until the header has told the encoding.
    QList<Layer> layers;
    QList<QByteArray> layerNames;
    QList<Entity> entities;
    QList<QByteArray> entityLayers;
    QList<RawText> texts;
    QString acadVersion, codePage;

    void processCodeValuePair(unsigned int code, const std::string& value) override
    {
        // Group 0 starts the next entity before the previous one is handed over.
        if (code == 0) {
            m_closedInvisible = m_openInvisible;
            m_openInvisible = false;
        } else if (code == 60) {
            m_openInvisible = QByteArray::fromStdString(value).trimmed().toInt() == 1;
        }
    }
    void setVariableString(const std::string& key, const std::string& value, int) override
    {
        if (key == "$ACADVER")
            acadVersion = QString::fromStdString(value);
        else if (key == "$DWGCODEPAGE")
            codePage = QString::fromStdString(value);
    }
    void addLayer(const DL_LayerData& data) override
    {
        layerNames << QByteArray::fromStdString(data.name);
        const int color = attributes.getColor();
        layers.append(Layer{QString(), color == 0 || std::abs(color) > 255 ? 7 : std::abs(color),
                            color < 0 || data.off});
    }
    void addBlock(const DL_BlockData&) override { m_inBlock = true; }
    void endBlock() override { m_inBlock = false; }
    void addLine(const DL_LineData& d) override
    {
        Entity e = begin(EntityType::Line);
        e.vertices = {{d.x1, d.y1, 0}, {d.x2, d.y2, 0}};
        add(e);
    }
    void addPolyline(const DL_PolylineData& d) override
    {
        Entity e = begin(EntityType::Polyline);
        e.closed = d.flags & 1;
        m_polylineOpen = add(e);
    }
    void addVertex(const DL_VertexData& d) override
    {
        if (m_polylineOpen && !entities.isEmpty())
            entities.last().vertices.append({d.x, d.y, d.bulge});
    }
    void endSequence() override { m_polylineOpen = false; }
    void addCircle(const DL_CircleData& d) override
    {
        Entity e = begin(EntityType::Circle);
        e.center = {d.cx, d.cy, d.cz};
        e.radius = d.radius;
        add(e);
    }
    void addArc(const DL_ArcData& d) override
    {
        Entity e = begin(EntityType::Arc);
        e.center = {d.cx, d.cy, d.cz};
        e.radius = d.radius;
        e.startAngle = d.angle1;
        e.endAngle = d.angle2;
        add(e);
    }
    void addText(const DL_TextData& d) override
    {
        Entity e = begin(EntityType::Text);
        TextData& t = e.text;
        t.height = d.height > 0 ? d.height : 2.5;
        t.rotation = d.angle; // dxflib hands angles of TEXT over in radians
        t.widthFactor = d.xScaleFactor > 0 ? d.xScaleFactor : 1;
        t.alignment = alignmentFromDxf(d.hJustification, d.vJustification);
        t.insertion = {d.ipx, d.ipy, d.ipz};
        t.alignmentPoint = {d.apx, d.apy, d.apz};
        if (add(e))
            texts.append({entities.size() - 1, QByteArray::fromStdString(d.text)});
    }

private:
    Entity begin(EntityType type)
    {
        m_polylineOpen = false;
        Entity e;
        e.type = type;
        m_layerBytes = QByteArray::fromStdString(attributes.getLayer());
        const int color = attributes.getColor();
        e.color = color < 0 || color > 256 ? kColorByLayer : color;
        e.visible = !m_closedInvisible;
        return e;
    }
    bool add(const Entity& e)
    {
        if (m_inBlock)
            return false;
        entities.append(e);
        entityLayers.append(m_layerBytes);
        return true;
    }

    QByteArray m_layerBytes;
    bool m_inBlock = false, m_polylineOpen = false;
    bool m_openInvisible = false, m_closedInvisible = false;
};

} // namespace

DxfReadResult readDxfData(const QByteArray& data, const QString& name)
{
    DxfReadResult result;
    const QString broken = structureError(data);
    if (!broken.isEmpty()) {
        result.error = QStringLiteral("DXF ファイルを読み込めません (%1): %2").arg(broken, name);
        return result;
    }
    Collector collector;
    std::istringstream stream(data.toStdString());
    DL_Dxf dxf;
    if (!dxf.in(stream, &collector)) {
        result.error = QStringLiteral("DXF ファイルを読み込めません: %1").arg(name);
        return result;
    }
    const DxfEncoding encoding = dxfEncoding(collector.acadVersion, collector.codePage);
    Drawing& drawing = result.drawing;
    for (qsizetype i = 0; i < collector.layers.size(); ++i) {
        Layer layer = collector.layers.at(i);
        layer.name = decodeDxfString(collector.layerNames.at(i), encoding);
        const int existing = drawing.layerIndex(layer.name);
        if (existing >= 0) {
            drawing.setLayerColor(existing, layer.color);
            continue;
        }
        drawing.addLayer(layer);
    }
    for (const RawText& raw : collector.texts)
        collector.entities[raw.entityIndex].text.string = decodeDxfString(raw.bytes, encoding);
    for (qsizetype i = 0; i < collector.entities.size(); ++i) {
        Entity e = collector.entities.at(i);
        e.layer = decodeDxfString(collector.entityLayers.at(i), encoding);
        if (e.type == EntityType::Text)
            e.text = settledText(e.text);
        if (e.type == EntityType::Polyline && e.vertices.isEmpty())
            continue;
        drawing.addEntity(e);
    }
    return result;
}

DxfReadResult readDxf(const QString& path)
{
    QFile file(path);
    if (!file.exists()) {
        DxfReadResult missing;
        missing.error = QStringLiteral("DXF ファイルが見つかりません: %1").arg(path);
        return missing;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        DxfReadResult unreadable;
        unreadable.error = QStringLiteral("DXF ファイルを開けません (%1): %2").arg(file.errorString(), path);
        return unreadable;
    }
    return readDxfData(file.readAll(), QFileInfo(path).fileName());
}
