#pragma once
// A small R12 ASCII DXF writer for the corpus: layers, LINE, closed POLYLINE
// and TEXT (left-aligned). Text outside ASCII is written as \U+XXXX escapes,
// so the file itself is plain ASCII whatever code page a reader assumes.
#include <QList>
#include <QPolygonF>
#include <QString>

class CorpusDxf {
public:
    void addLayer(const QString& name, int aci);
    void addLine(const QString& layer, QPointF a, QPointF b, int aci = 256);
    void addClosedPolyline(const QString& layer, const QPolygonF& points, int aci = 256);
    void addText(const QString& layer, const QString& text, QPointF insertion, double height, double angleDeg,
                 int aci = 256);
    bool save(const QString& path) const;

    static QString escapeText(const QString& text);

private:
    void group(int code, const QString& value);
    void group(int code, double value);
    QString m_entities;
    QList<QPair<QString, int>> m_layers;
};
