#include "app/IniFile.h"
#include "app/Settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
const SettingsContext kCtx{QSize(1600, 1000), QSize(596, 425), "BricscadApp.AcadApplication", " ? "};

SettingsValues readFrom(const QTemporaryDir& dir, const QByteArray& content) {
    const QString path = dir.filePath("MIRTEX.ini");
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(content);
    f.close();
    return readSettings(IniFile(path), kCtx);
}
}

TEST(ParseIniInteger, Forms) {
    struct Case { const char* text; int expected; } cases[] = {
        {"12", 12}, {"-7", -7}, {"+5", 5}, {"0x1F", 31}, {"0X1f", 31}, {"$ff", 255}, {"-$10", -16},
        {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1},
        {"2147483648", -99}, {"99999999999999999999", -99}, {"0x100000000", -99},
        {"abc", -99}, {"", -99}, {"12a", -99}, {"1 2", -99}, {"0x", -99}, {"$", -99}, {"١٢", -99}, {"--1", -99}};
    for (const auto& c : cases) EXPECT_EQ(parseIniInteger(c.text, -99), c.expected) << c.text;
}

TEST(Settings, FirstStartGivesDefaults) {
    QTemporaryDir dir;
    const SettingsValues v = readSettings(IniFile(dir.filePath("MIRTEX.ini")), kCtx);
    EXPECT_EQ(v.Left, (1600 - 596) / 2);
    EXPECT_EQ(v.Top, (1000 - 425) / 2);
    EXPECT_EQ(v.Width, 596);
    EXPECT_EQ(v.Height, 425);
    EXPECT_EQ(v.ProgID, "BricscadApp.AcadApplication");
    EXPECT_EQ(v.Name, "BricsCAD");
    EXPECT_EQ(v.DegStep, "90");
    EXPECT_EQ(v.XYStep, "0.5");
    EXPECT_EQ(v.HScale, "0.8");
    EXPECT_EQ(v.Attn, "?");  // the trimmed current text
    EXPECT_FALSE(v.Center || v.Arrow || v.AutoDraw || v.AutoDxf || v.Man2 || v.Man || v.UseLISP);
    EXPECT_EQ(v.LineAci, 3);
    EXPECT_EQ(v.TextAci, 30);
    EXPECT_EQ(v.AttnAci, 1);
    EXPECT_EQ(v.ZcadSleep, 300);
    EXPECT_EQ(v.AcadSleep, 200);
}

TEST(Settings, WindowIsKeptOnScreenToTheRightAndBottomOnly) {
    struct Case { const char* form; int left, top; } cases[] = {
        {"Left=1500\nTop=10\nWidth=300\nHeight=200", 1300, 10},
        {"Left=-40\nTop=-30\nWidth=300\nHeight=200", -40, -30},
        {"Left=10\nTop=950\nWidth=300\nHeight=200", 10, 800},
        {"Left=1590\nTop=990\nWidth=300\nHeight=200", 1300, 800},
    };
    for (const auto& c : cases) {
        QTemporaryDir dir;
        const SettingsValues v = readFrom(dir, QByteArray("[Form]\n") + c.form + "\n");
        EXPECT_EQ(v.Left, c.left) << c.form;
        EXPECT_EQ(v.Top, c.top) << c.form;
        EXPECT_EQ(v.Width, 300);
    }
}

TEST(Settings, WrongFormsGiveDefaults) {
    QTemporaryDir dir;
    const SettingsValues v = readFrom(dir,
        "[Color]\nLineAci=green\nTextAci=$14\nAttnAci=99999999999\n[Zcad]\nSleep=0x10\n"
        "[Draw]\nArrow=yes\nAutoDraw=7\n[Deg]\nStep=abc\n");
    EXPECT_EQ(v.LineAci, 3);
    EXPECT_EQ(v.TextAci, 20);
    EXPECT_EQ(v.AttnAci, 1);
    EXPECT_EQ(v.ZcadSleep, 16);
    EXPECT_FALSE(v.Arrow);
    EXPECT_TRUE(v.AutoDraw);
    EXPECT_EQ(v.DegStep, "abc");  // strings are taken as stored
}

TEST(Settings, EveryKeyWrittenInOrderWithBooleansAsDigits) {
    QTemporaryDir dir;
    const QString path = dir.filePath("MIRTEX.ini");
    SettingsValues v;
    v.Left = -5; v.Top = 7; v.Width = 700; v.Height = 500;
    v.Name = "ＺＷＣＡＤ 日本語"; v.ProgID = "ZWCAD.Application";
    v.Center = true; v.AutoDxf = true; v.UseLISP = true;
    v.Attn = " ?# ";
    v.LineAci = 250;
    {
        IniFile ini(path);
        writeSettings(ini, v);
        ASSERT_TRUE(ini.save());
    }
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    const QStringList expectedKeys = {
        "[Form]", "Left=-5", "Top=7", "Width=700", "Height=500", "[TargetCAD]", "ProgID=ZWCAD.Application",
        "Name=ＺＷＣＡＤ 日本語", "[Zoom]", "Center=1", "[Draw]", "Arrow=0", "AutoDraw=0", "AutoDxf=1",
        "UseLISP=1", "[Deg]", "Step=90", "[XY]", "Step=0.5", "[Color]", "LineAci=250", "TextAci=30",
        "AttnAci=1", "[Zcad]", "Sleep=300", "[Acad]", "Sleep=200", "[Text]", "HScale=0.8", "Attn=?#",
        "[TextHeight]", "Man2=0", "Man=0"};
    EXPECT_EQ(text.split('\n', Qt::SkipEmptyParts), expectedKeys);

    const SettingsValues back = readSettings(IniFile(path), kCtx);
    EXPECT_EQ(back.Name, v.Name);
    EXPECT_EQ(back.Attn, "?#");
    EXPECT_TRUE(back.Center && back.AutoDxf && back.UseLISP);
    EXPECT_EQ(back.LineAci, 250);
}
