#include "app/IniFile.h"
#include "app/Settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
const SettingsContext kCtx{QSize(1920, 1080), QSize(612, 464), "BricscadApp.AcadApplication", " ? "};

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
}

TEST(ParseIniInteger, Forms) {
    struct Case { const char* text; int expected; };
    const Case cases[] = {
        {"0", 0}, {"42", 42}, {"-17", -17}, {"+5", 5}, {"0x1F", 31}, {"0XfF", 255}, {"$10", 16},
        {"-0x10", -16}, {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1},
        {"2147483648", -1}, {"99999999999999999999999", -1}, {"0x100000000", -1},
        {"", -1}, {"abc", -1}, {"12abc", -1}, {" 12", -1}, {"0x", -1}, {"$", -1}, {"1.5", -1},
        {"--1", -1}, {"0xG", -1},
    };
    for (const Case& c : cases) EXPECT_EQ(parseIniInteger(c.text, -1), c.expected) << c.text;
}

TEST(Settings, DefaultsWithoutFile) {
    QTemporaryDir dir;
    IniFile ini(dir.filePath("none.ini"));
    const SettingsValues v = readSettings(ini, kCtx);
    EXPECT_EQ(v.Left, (1920 - 612) / 2);
    EXPECT_EQ(v.Top, (1080 - 464) / 2);
    EXPECT_EQ(v.Width, 612);
    EXPECT_EQ(v.Height, 464);
    EXPECT_EQ(v.ProgID, "BricscadApp.AcadApplication");
    EXPECT_EQ(v.Name, "BricsCAD");
    EXPECT_EQ(v.DegStep, "90");
    EXPECT_EQ(v.XYStep, "0.5");
    EXPECT_EQ(v.HScale, "0.8");
    EXPECT_EQ(v.Attn, "?");
    EXPECT_EQ(v.LineAci, 3);
    EXPECT_EQ(v.TextAci, 30);
    EXPECT_EQ(v.AttnAci, 1);
    EXPECT_EQ(v.ZcadSleep, 300);
    EXPECT_EQ(v.AcadSleep, 200);
    for (bool b : {v.Center, v.Arrow, v.AutoDraw, v.AutoDxf, v.Man, v.Man2, v.UseLISP}) EXPECT_FALSE(b);
}

TEST(Settings, ClampsRightAndBottomOnly) {
    QTemporaryDir dir;
    const QString path = dir.filePath("m.ini");
    struct Case { QByteArray form; int left, top; };
    const Case cases[] = {
        {"Left=1800\nTop=1000\nWidth=600\nHeight=400\n", 1320, 680},
        {"Left=-50\nTop=-20\nWidth=600\nHeight=400\n", -50, -20},
        {"Left=0x10\nTop=$20\nWidth=600\nHeight=400\n", 16, 32},
        {"Left=2147483647\nTop=5\nWidth=600\nHeight=400\n", 1320, 5},
    };
    for (const Case& c : cases) {
        writeAll(path, "[Form]\n" + c.form);
        const SettingsValues v = readSettings(IniFile(path), kCtx);
        EXPECT_EQ(v.Left, c.left) << c.form.constData();
        EXPECT_EQ(v.Top, c.top) << c.form.constData();
    }
}

TEST(Settings, WrongFormsGiveDefaultsAndStringsStayAsStored) {
    QTemporaryDir dir;
    const QString path = dir.filePath("m.ini");
    writeAll(path, "[Color]\nLineAci=abc\nTextAci=0x0A\nAttnAci=99999999999\n"
                   "[Deg]\nStep=not a number\n[Draw]\nAutoDraw=1\nAutoDxf=7\nArrow=x\n");
    const SettingsValues v = readSettings(IniFile(path), kCtx);
    EXPECT_EQ(v.LineAci, 3);
    EXPECT_EQ(v.TextAci, 10);
    EXPECT_EQ(v.AttnAci, 1);
    EXPECT_EQ(v.DegStep, "not a number");
    EXPECT_TRUE(v.AutoDraw);
    EXPECT_TRUE(v.AutoDxf);
    EXPECT_FALSE(v.Arrow);
}

TEST(Settings, EveryKeyWrittenAndReadBack) {
    QTemporaryDir dir;
    const QString path = dir.filePath("m.ini");
    SettingsValues v;
    v.Left = -10; v.Top = 20; v.Width = 700; v.Height = 500;
    v.ProgID = "ZWCAD.Application"; v.Name = QString::fromUtf8("ZWCAD 日本語");
    v.Center = true; v.Arrow = false; v.DegStep = "15"; v.XYStep = "1,5";
    v.LineAci = 5; v.TextAci = 250; v.AttnAci = 6; v.ZcadSleep = 10; v.AcadSleep = 20;
    v.HScale = "0.95"; v.AutoDraw = true; v.AutoDxf = false; v.Man2 = true; v.Man = false;
    v.UseLISP = true; v.Attn = QString::fromUtf8("  ？ ");
    {
        IniFile ini(path);
        writeSettings(ini, v);
        ASSERT_TRUE(ini.save());
    }
    const IniFile ini(path);
    const struct { const char* section; const char* key; QString value; } keys[] = {
        {"Form", "Left", "-10"}, {"Form", "Top", "20"}, {"Form", "Width", "700"},
        {"Form", "Height", "500"}, {"TargetCAD", "ProgID", "ZWCAD.Application"},
        {"TargetCAD", "Name", QString::fromUtf8("ZWCAD 日本語")}, {"Zoom", "Center", "1"},
        {"Draw", "Arrow", "0"}, {"Deg", "Step", "15"}, {"XY", "Step", "1,5"},
        {"Color", "LineAci", "5"}, {"Color", "TextAci", "250"}, {"Color", "AttnAci", "6"},
        {"Zcad", "Sleep", "10"}, {"Acad", "Sleep", "20"}, {"Text", "HScale", "0.95"},
        {"Draw", "AutoDraw", "1"}, {"Draw", "AutoDxf", "0"}, {"TextHeight", "Man2", "1"},
        {"TextHeight", "Man", "0"}, {"Draw", "UseLISP", "1"}, {"Text", "Attn", QString::fromUtf8("？")},
    };
    for (const auto& k : keys)
        EXPECT_EQ(ini.readString(k.section, k.key, "MISSING"), k.value) << k.section << "/" << k.key;

    const SettingsValues back = readSettings(ini, kCtx);
    EXPECT_EQ(back.Left, -10);
    EXPECT_EQ(back.Name, v.Name);
    EXPECT_EQ(back.TextAci, 250);
    EXPECT_TRUE(back.Center);
    EXPECT_TRUE(back.UseLISP);
    EXPECT_EQ(back.Attn, QString::fromUtf8("？"));
}

TEST(Settings, ReadWriteReadIsStable) {
    QTemporaryDir dir;
    const QString path = dir.filePath("m.ini");
    // Control characters around the attention text, hexadecimal numbers, foreign sections.
    const char raw[] = "[Text]\r\nAttn= ? \r\x03\x00\x00\n[Form]\r\nTop=0x20\r\n[Foreign]\r\nkeep=me\r\n";
    writeAll(path, QByteArray(raw, sizeof raw - 1));
    const SettingsValues first = readSettings(IniFile(path), kCtx);
    EXPECT_EQ(first.Attn, "?");
    {
        IniFile ini(path);
        writeSettings(ini, first);
        ASSERT_TRUE(ini.save());
    }
    const SettingsValues second = readSettings(IniFile(path), kCtx);
    EXPECT_EQ(second.Attn, first.Attn);
    EXPECT_EQ(second.Top, 32);
    EXPECT_EQ(IniFile(path).readString("Foreign", "keep", ""), "me");
}
