#include "Settings.h"

#include "IniFile.h"

#include <limits>

namespace {
const QString kForm = QStringLiteral("Form");
const QString kTargetCad = QStringLiteral("TargetCAD");
const QString kZoom = QStringLiteral("Zoom");
const QString kDraw = QStringLiteral("Draw");
const QString kDeg = QStringLiteral("Deg");
const QString kXY = QStringLiteral("XY");
const QString kColor = QStringLiteral("Color");
const QString kZcad = QStringLiteral("Zcad");
const QString kAcad = QStringLiteral("Acad");
const QString kText = QStringLiteral("Text");
const QString kTextHeight = QStringLiteral("TextHeight");

int readInt(const IniFile& ini, const QString& section, const QString& key, int def) {
    return parseIniInteger(ini.readString(section, key, QString()), def);
}
bool readBool(const IniFile& ini, const QString& section, const QString& key, bool def) {
    return readInt(ini, section, key, def ? 1 : 0) != 0;
}
void writeInt(IniFile& ini, const QString& section, const QString& key, int v) {
    ini.writeString(section, key, QString::number(v));
}
void writeBool(IniFile& ini, const QString& section, const QString& key, bool v) {
    ini.writeString(section, key, v ? QStringLiteral("1") : QStringLiteral("0"));
}
}

int parseIniInteger(const QString& text, int def) {
    QStringView s(text);
    bool negative = false;
    if (!s.isEmpty() && (s.front() == u'-' || s.front() == u'+')) {
        negative = s.front() == u'-';
        s = s.mid(1);
    }
    int base = 10;
    if (s.startsWith(u"0x", Qt::CaseInsensitive)) {
        base = 16;
        s = s.mid(2);
    } else if (s.startsWith(u'$')) {
        base = 16;
        s = s.mid(1);
    }
    if (s.isEmpty()) return def;
    // Digits only: toLongLong would accept blanks and signs of its own.
    for (QChar c : s) {
        const char16_t u = c.unicode();
        const bool digit = (u >= u'0' && u <= u'9') ||
                           (base == 16 && ((u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F')));
        if (!digit) return def;
    }
    bool ok = false;
    const qulonglong magnitude = s.toULongLong(&ok, base);
    if (!ok) return def;
    constexpr qulonglong maxPositive = std::numeric_limits<int>::max();
    if (magnitude > maxPositive + (negative ? 1 : 0)) return def;
    return negative ? int(-qlonglong(magnitude)) : int(magnitude);
}

QString trimControls(const QString& text) {
    qsizetype b = 0, e = text.size();
    while (b < e && text[b].unicode() <= 0x20) ++b;
    while (e > b && text[e - 1].unicode() <= 0x20) --e;
    return text.mid(b, e - b);
}

SettingsValues readSettings(const IniFile& ini, const SettingsContext& ctx) {
    SettingsValues v;
    v.Left = readInt(ini, kForm, QStringLiteral("Left"), (ctx.screen.width() - ctx.window.width()) / 2);
    v.Top = readInt(ini, kForm, QStringLiteral("Top"), (ctx.screen.height() - ctx.window.height()) / 2);
    v.Width = readInt(ini, kForm, QStringLiteral("Width"), ctx.window.width());
    v.Height = readInt(ini, kForm, QStringLiteral("Height"), ctx.window.height());
    // Pulled back on screen to the right and bottom only; a negative left or top stays.
    if (qlonglong(v.Left) + v.Width > ctx.screen.width()) v.Left = ctx.screen.width() - v.Width;
    if (qlonglong(v.Top) + v.Height > ctx.screen.height()) v.Top = ctx.screen.height() - v.Height;

    v.ProgID = ini.readString(kTargetCad, QStringLiteral("ProgID"), ctx.progId);
    v.Name = ini.readString(kTargetCad, QStringLiteral("Name"), QStringLiteral("BricsCAD"));
    v.Center = readBool(ini, kZoom, QStringLiteral("Center"), false);
    v.Arrow = readBool(ini, kDraw, QStringLiteral("Arrow"), false);
    v.DegStep = ini.readString(kDeg, QStringLiteral("Step"), QStringLiteral("90"));
    v.XYStep = ini.readString(kXY, QStringLiteral("Step"), QStringLiteral("0.5"));
    v.LineAci = readInt(ini, kColor, QStringLiteral("LineAci"), 3);
    v.TextAci = readInt(ini, kColor, QStringLiteral("TextAci"), 30);
    v.AttnAci = readInt(ini, kColor, QStringLiteral("AttnAci"), 1);
    v.ZcadSleep = readInt(ini, kZcad, QStringLiteral("Sleep"), 300);
    v.AcadSleep = readInt(ini, kAcad, QStringLiteral("Sleep"), 200);
    v.HScale = ini.readString(kText, QStringLiteral("HScale"), QStringLiteral("0.8"));
    v.AutoDraw = readBool(ini, kDraw, QStringLiteral("AutoDraw"), false);
    v.AutoDxf = readBool(ini, kDraw, QStringLiteral("AutoDxf"), false);
    v.Man2 = readBool(ini, kTextHeight, QStringLiteral("Man2"), false);
    v.Man = readBool(ini, kTextHeight, QStringLiteral("Man"), false);
    v.UseLISP = readBool(ini, kDraw, QStringLiteral("UseLISP"), false);
    // Trimmed as it is written and used: blanks and control characters at the ends mean nothing.
    v.Attn = trimControls(ini.readString(kText, QStringLiteral("Attn"), trimControls(ctx.attn)));
    return v;
}

void writeSettings(IniFile& ini, const SettingsValues& v) {
    writeInt(ini, kForm, QStringLiteral("Left"), v.Left);
    writeInt(ini, kForm, QStringLiteral("Top"), v.Top);
    writeInt(ini, kForm, QStringLiteral("Width"), v.Width);
    writeInt(ini, kForm, QStringLiteral("Height"), v.Height);
    ini.writeString(kTargetCad, QStringLiteral("ProgID"), v.ProgID);
    ini.writeString(kTargetCad, QStringLiteral("Name"), v.Name);
    writeBool(ini, kZoom, QStringLiteral("Center"), v.Center);
    writeBool(ini, kDraw, QStringLiteral("Arrow"), v.Arrow);
    ini.writeString(kDeg, QStringLiteral("Step"), v.DegStep);
    ini.writeString(kXY, QStringLiteral("Step"), v.XYStep);
    writeInt(ini, kColor, QStringLiteral("LineAci"), v.LineAci);
    writeInt(ini, kColor, QStringLiteral("TextAci"), v.TextAci);
    writeInt(ini, kColor, QStringLiteral("AttnAci"), v.AttnAci);
    writeInt(ini, kZcad, QStringLiteral("Sleep"), v.ZcadSleep);
    writeInt(ini, kAcad, QStringLiteral("Sleep"), v.AcadSleep);
    ini.writeString(kText, QStringLiteral("HScale"), v.HScale);
    writeBool(ini, kDraw, QStringLiteral("AutoDraw"), v.AutoDraw);
    writeBool(ini, kDraw, QStringLiteral("AutoDxf"), v.AutoDxf);
    writeBool(ini, kTextHeight, QStringLiteral("Man2"), v.Man2);
    writeBool(ini, kTextHeight, QStringLiteral("Man"), v.Man);
    writeBool(ini, kDraw, QStringLiteral("UseLISP"), v.UseLISP);
    ini.writeString(kText, QStringLiteral("Attn"), trimControls(v.Attn));
}
