#include "Corpus.h"
#include <QFile>
#include <QTextStream>
#include <cmath>

QPointF TruthLine::rowPoint() const
{
    if (kind == QLatin1String("vertical"))
        return {x + kVerticalColumnHalfWidth * height, y + height};
    const double a = angleDeg * M_PI / 180.0;
    // Half the capital height across the baseline, toward the text's top.
    return {x - std::sin(a) * height / 2, y + std::cos(a) * height / 2};
}

static QString number(double v) { return QString::number(v, 'f', 4); }

bool writeTruth(const QString& path, const CorpusSheet& sheet)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QTextStream out(&file);
    out.setEncoding(QStringConverter::Utf8);
    out << "sheet\t" << sheet.name << '\t' << sheet.group << '\t' << number(sheet.area.x()) << '\t'
        << number(sheet.area.y()) << '\t' << number(sheet.area.width()) << '\t' << number(sheet.area.height())
        << '\n';
    for (const TruthLine& l : sheet.lines)
        out << l.kind << '\t' << l.text << '\t' << number(l.x) << '\t' << number(l.y) << '\t' << number(l.height)
            << '\t' << number(l.angleDeg) << '\t' << l.aci << '\n';
    return out.status() == QTextStream::Ok && file.flush();
}

bool readTruth(const QString& path, CorpusSheet& sheet)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QTextStream in(&file);
    in.setEncoding(QStringConverter::Utf8);
    sheet = {};
    bool haveSheet = false;
    while (!in.atEnd()) {
        const QStringList f = in.readLine().split('\t');
        if (f.size() == 7 && f[0] == QLatin1String("sheet")) {
            sheet.name = f[1];
            sheet.group = f[2];
            sheet.area = QRectF(f[3].toDouble(), f[4].toDouble(), f[5].toDouble(), f[6].toDouble());
            haveSheet = true;
        } else if (f.size() == 7) {
            sheet.lines.append({f[0], f[1], f[2].toDouble(), f[3].toDouble(), f[4].toDouble(), f[5].toDouble(),
                                f[6].toInt()});
        } else if (!f.join(QString()).isEmpty()) {
            return false;
        }
    }
    return haveSheet;
}
