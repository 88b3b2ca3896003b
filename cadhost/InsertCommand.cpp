#include "cadhost/InsertCommand.h"

#include "cadhost/CommandInterpreter.h"
#include "cadhost/DxfFile.h"

#include <charconv>
#include <cmath>
#include <memory>

namespace {

// Cosine and sine of a turn in degrees, exact for quarter turns so that a
// file inserted at 90° keeps its coordinates free of rounding noise.
std::pair<double, double> cosSin(double degrees)
{
    const double quarter = std::fmod(degrees, 360.0) / 90.0;
    if (quarter == std::floor(quarter)) {
        static const std::pair<double, double> exact[] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
        return exact[(int(quarter) + 4) % 4];
    }
    const double r = degrees * M_PI / 180.0;
    return {std::cos(r), std::sin(r)};
}

double normalisedRadians(double a)
{
    a = std::fmod(a, 2 * M_PI);
    return a < 0 ? a + 2 * M_PI : a;
}

}  // namespace

void insertExploded(Drawing& target, const Drawing& source, const InsertPlacement& p)
{
    for (const Layer& l : source.layers())
        if (target.layerIndex(l.name) < 0) target.setLayerColor(target.addLayer(l.name), l.color);
    for (const TextStyle& s : source.styles()) target.addStyle(s);

    const auto [c, s] = cosSin(p.rotationDegrees);
    auto place = [&, c = c, s = s](double x, double y) {
        x *= p.scale;
        y *= p.scale;
        return QPointF(p.base.x() + (x * c - y * s), p.base.y() + (x * s + y * c));
    };
    // A negative scale turns every direction by a half turn.
    const double turn = p.rotationDegrees * M_PI / 180.0 + (p.scale < 0 ? M_PI : 0);
    const double size = std::abs(p.scale);
    for (Entity e : source.entities()) {
        for (Vertex& v : e.points) {
            const QPointF q = place(v.x, v.y);
            v.x = q.x();
            v.y = q.y();
        }
        e.radius *= size;
        e.height *= size;
        e.insertion = place(e.insertion.x(), e.insertion.y());
        e.alignmentPoint = place(e.alignmentPoint.x(), e.alignmentPoint.y());
        if (turn != 0) {
            e.startAngle = normalisedRadians(e.startAngle + turn);
            e.endAngle = normalisedRadians(e.endAngle + turn);
            e.rotation = normalisedRadians(e.rotation + turn);
        }
        target.addEntity(e);
    }
}

std::optional<double> parseNumberAnswer(const QString& answer)
{
    QByteArray t = answer.trimmed().toLatin1();
    if (t.startsWith('+')) t.remove(0, 1);
    double d = 0;
    const auto [end, ec] = std::from_chars(t.constData(), t.constData() + t.size(), d);
    if (t.isEmpty() || ec != std::errc() || end != t.constData() + t.size() || !std::isfinite(d))
        return std::nullopt;
    return d;
}

std::optional<QPointF> parsePointAnswer(const QString& answer)
{
    const QStringList parts = answer.split(',');
    if (parts.size() < 2 || parts.size() > 3) return std::nullopt;
    std::optional<double> xyz[3];
    for (int i = 0; i < parts.size(); ++i)
        if (!(xyz[i] = parseNumberAnswer(parts[i]))) return std::nullopt;
    return QPointF(*xyz[0], *xyz[1]);
}

namespace {

using FileContent = std::shared_ptr<const Drawing>;

void askRotation(CommandInterpreter& commands, FileContent file, InsertPlacement placement)
{
    commands.ask("回転角度を指定 <0>:", [file, placement](HostState& s, const QString& answer) mutable {
        const auto degrees = answer.isEmpty() ? 0.0 : parseNumberAnswer(answer);
        if (!degrees) {
            s.commandLog << QString("INSERT: 角度が無効です: %1").arg(answer);
            return;
        }
        placement.rotationDegrees = *degrees;
        s.undo.aboutToChange(s.drawing);
        insertExploded(s.drawing, *file, placement);
    });
}

void askScale(CommandInterpreter& commands, FileContent file, InsertPlacement placement)
{
    commands.ask("尺度を指定 <1>:", [&commands, file, placement](HostState& s, const QString& answer) mutable {
        const auto scale = answer.isEmpty() ? 1.0 : parseNumberAnswer(answer);
        if (!scale || *scale == 0) {
            s.commandLog << QString("INSERT: 尺度が無効です (0 以外の数値): %1").arg(answer);
            return;
        }
        placement.scale = *scale;
        askRotation(commands, file, placement);
    });
}

void askPoint(CommandInterpreter& commands, FileContent file)
{
    commands.ask("挿入位置を指定:", [&commands, file](HostState& s, const QString& answer) {
        const auto point = parsePointAnswer(answer);
        if (!point) {
            s.commandLog << QString("INSERT: 点が無効です: %1").arg(answer);
            return;
        }
        InsertPlacement placement;
        placement.base = *point;
        askScale(commands, file, placement);
    });
}

void answerName(CommandInterpreter& commands, HostState& s, const QString& answer)
{
    if (answer.isEmpty()) return;  // Enter at the name ends the command, as in a CAD
    const QString name = unquoted(answer);
    if (!name.startsWith('*')) {
        // A block reference needs blocks, which the host does not keep.
        s.commandLog << QString("INSERT: 分解挿入だけができます (ファイル名の前に * を付けてください): %1").arg(answer);
        return;
    }
    const QString path = unquoted(name.mid(1).trimmed());
    if (path.isEmpty()) {
        s.commandLog << "INSERT: ファイル名がありません";
        return;
    }
    DxfReadResult r = readDxf(path);
    if (!r.ok) {
        s.commandLog << r.message;
        return;
    }
    askPoint(commands, std::make_shared<const Drawing>(std::move(r.drawing)));
}

}  // namespace

void addInsertCommand(CommandInterpreter& commands)
{
    // A blank after the name starts the command, so every answer comes to a question.
    commands.addCommand(
        "INSERT",
        [&commands](HostState&, const QString&) {
            commands.ask("ブロック名を入力 または [?]:", [&commands](HostState& s, const QString& answer) {
                answerName(commands, s, answer);
            });
        },
        CommandInterpreter::Input::Prompts);
}
