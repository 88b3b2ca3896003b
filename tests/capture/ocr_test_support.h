#pragma once
// Shared by the OCR binding tests: a memo that records what it was asked to do,
// and a parser of result lines.
#include "app/StatusMemo.h"

#include <QString>
#include <QStringList>

#include <array>

class RecordingMemo : public IStatusMemo {
public:
    QStringList events;  // "line: ...", "process", "clear", "info: ..."
    QStringList lines;
    QStringList boxes;
    void addLine(const QString& line) override { events << "line: " + line; lines << line; }
    void clear() override { events << "clear"; }
    void processMessages() override { events << "process"; }
    void information(const QString& text) override { events << "info: " + text; boxes << text; }
};

struct ParsedResultLine {
    long long index = -1;
    QString text;
    std::array<double, 8> box{};
};

// Index before the first ": ", text up to the ": " before the fourth "(" from the end.
inline bool parseResultLine(const QString& line, ParsedResultLine& out)
{
    const qsizetype colon = line.indexOf(QStringLiteral(": "));
    qsizetype open = line.size();
    for (int i = 0; i < 4; ++i) {
        open = line.lastIndexOf(QLatin1Char('('), open - 1);
        if (open < 0)
            return false;
    }
    if (colon < 0 || open < colon + 2 || line.mid(open - 2, 2) != QStringLiteral(": "))
        return false;
    bool ok = false;
    out.index = line.left(colon).toLongLong(&ok);
    if (!ok)
        return false;
    out.text = line.mid(colon + 2, open - 2 - colon - 2);
    QString numbers = line.mid(open);
    numbers.remove(QLatin1Char('(')).remove(QLatin1Char(')'));
    const QStringList values = numbers.split(QLatin1Char(','));
    if (values.size() != 8)
        return false;
    for (int i = 0; i < 8; ++i) {
        out.box[size_t(i)] = values[i].toDouble(&ok);
        if (!ok)
            return false;
    }
    return true;
}
