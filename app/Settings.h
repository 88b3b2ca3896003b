#pragma once
// The user settings kept in MIRTEX.ini, as plain values. The main window moves
// them into its controls after reading and collects them again before writing.
#include <QSize>
#include <QString>

class IniFile;

struct SettingsValues {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    QString ProgID = QStringLiteral("BricscadApp.AcadApplication");
    QString Name = QStringLiteral("BricsCAD");
    bool Center = false;   // CheckBox1
    bool Arrow = false;    // CheckBox2
    QString DegStep = QStringLiteral("90");   // Edit1
    QString XYStep = QStringLiteral("0.5");   // Edit3
    int LineAci = 3, TextAci = 30, AttnAci = 1;
    int ZcadSleep = 300, AcadSleep = 200;
    QString HScale = QStringLiteral("0.8");   // Edit4
    bool AutoDraw = false;  // CheckBox4, DXF insertion right after a crop
    bool AutoDxf = false;   // CheckBox5, one-by-one creation right after a crop
    bool Man2 = false;      // CheckBox6
    bool Man = false;       // CheckBox7
    bool UseLISP = false;   // CheckBox8
    QString Attn = QStringLiteral("?");       // Edit9
};

// What the defaults depend on at the time of reading.
struct SettingsContext {
    QSize screen;          // primary screen
    QSize window;          // the window's current (design) size
    QString progId;        // current target ProgID
    QString attn;          // current text of the attention box
};

// Decimal, or hexadecimal after "0x", "0X" or "$", optionally signed; def for
// anything else and for values outside the 32-bit range.
int parseIniInteger(const QString& text, int def);

// Removes blanks and control characters at both ends.
QString trimControls(const QString& text);

SettingsValues readSettings(const IniFile& ini, const SettingsContext& ctx);
void writeSettings(IniFile& ini, const SettingsValues& values);
