#include "app/IniFile.h"
#include "output/CodePage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
QByteArray readAll(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
}
void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

class IniFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath("t.ini"); }
};
}

TEST_F(IniFileTest, MissingFileGivesDefaultsAndNewFileIsUtf8WithoutBom) {
    IniFile ini(path());
    EXPECT_EQ(ini.readString("Form", "Left", "dflt"), "dflt");
    ini.writeString("Text", "Attn", QString::fromUtf8("注意"));
    ASSERT_TRUE(ini.save());
    const QByteArray bytes = readAll(path());
    EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(bytes, QString::fromUtf8("[Text]\nAttn=注意\n").toUtf8());
}

TEST_F(IniFileTest, ReadingIgnoresCaseFirstOccurrenceWinsTrimsAndUnquotes) {
    writeAll(path(), "; comment=1\n[form]\n  LEFT =  12  \nleft=99\nQ=\"  spaced  \"\n"
                     "[Form]\nTop=5\n[Other]\nLeft=7\n");
    IniFile ini(path());
    EXPECT_EQ(ini.readString("Form", "Left", "d"), "12");
    EXPECT_EQ(ini.readString("FORM", "q", "d"), "  spaced  ");
    // The second [Form] header is never searched: the first section wins.
    EXPECT_EQ(ini.readString("Form", "Top", "d"), "d");
    EXPECT_EQ(ini.readString("Other", "Left", "d"), "7");
    EXPECT_EQ(ini.readString("Missing", "Left", "d"), "d");
    EXPECT_EQ(ini.readString("Form", "comment", "d"), "d");
}

TEST_F(IniFileTest, WritingKeepsEveryForeignByte) {
    const QByteArray before =
        "; my notes\r\n[Form]\r\nLeft=1\r\n  weird line without equals\r\n\r\n"
        "[Foreign]\r\nKeep = this , \"exactly\"\r\n[Draw]\r\nArrow=0";
    writeAll(path(), before);
    IniFile ini(path());
    ini.writeString("Form", "Left", "250");
    ini.writeString("Form", "Top", "40");       // appended to its section
    ini.writeString("Draw", "Arrow", "1");     // last line had no break
    ini.writeString("Zoom", "Center", "0");    // new section at the end
    ASSERT_TRUE(ini.save());
    const QByteArray expected =
        "; my notes\r\n[Form]\r\nLeft=250\r\n  weird line without equals\r\nTop=40\r\n\r\n"
        "[Foreign]\r\nKeep = this , \"exactly\"\r\n[Draw]\r\nArrow=1\r\n[Zoom]\r\nCenter=0\r\n";
    EXPECT_EQ(readAll(path()), expected);
}

TEST_F(IniFileTest, AwkwardValuesSurviveWriteAndRead) {
    const QStringList values = {
        "a,b,c", "key=value=more", "\"quoted\"", "  leading and trailing  ",
        QString::fromUtf8("ＭＳ ゴシック・注意？"), "", "\"", "semi;colon", "[not a section]"};
    {
        IniFile ini(path());
        for (int i = 0; i < values.size(); ++i) ini.writeString("S", QString("k%1").arg(i), values[i]);
        ASSERT_TRUE(ini.save());
    }
    IniFile again(path());
    for (int i = 0; i < values.size(); ++i)
        EXPECT_EQ(again.readString("S", QString("k%1").arg(i), "missing"), values[i]) << i;
}

TEST_F(IniFileTest, LineBreaksInAValueDoNotCreateKeys) {
    {
        IniFile ini(path());
        ini.writeString("S", "k", "one\n[Evil]\nx=1");
        ASSERT_TRUE(ini.save());
    }
    IniFile again(path());
    EXPECT_EQ(again.readString("Evil", "x", "none"), "none");
    EXPECT_EQ(again.readString("S", "k", "none"), "one [Evil] x=1");
}

TEST_F(IniFileTest, ShiftJisFileIsReadAndWrittenBackInShiftJis) {
    const QString name = QString::fromUtf8("部分一致");
    QByteArray bytes = "[TargetCAD]\r\nName=" + toCp932(name) + "\r\n[Text]\r\nAttn=" +
                       toCp932(QString::fromUtf8("？")) + "\r\n";
    writeAll(path(), bytes);
    IniFile ini(path());
    EXPECT_EQ(ini.encoding(), IniFile::Encoding::Cp932);
    EXPECT_EQ(ini.readString("TargetCAD", "Name", ""), name);
    ini.writeString("Text", "Attn", QString::fromUtf8("注"));
    ASSERT_TRUE(ini.save());
    const QByteArray expected = "[TargetCAD]\r\nName=" + toCp932(name) + "\r\n[Text]\r\nAttn=" +
                                toCp932(QString::fromUtf8("注")) + "\r\n";
    EXPECT_EQ(readAll(path()), expected);
}

TEST_F(IniFileTest, GarbageAndBinaryNeverCrash) {
    const char head[] = "[Form\n=\n==\n[]\n\x00\x01\xff\xfe=\x80\n[Form]\nLeft=\x00\x81\n";
    QByteArray garbage(head, sizeof head - 1);  // the NULs inside belong to it
    for (int i = 0; i < 256; ++i) garbage.append(char(i));
    garbage += "\n[Color]\nLineAci=99999999999999999999999\n";
    writeAll(path(), garbage);
    IniFile ini(path());
    EXPECT_EQ(ini.readString("Color", "LineAci", ""), "99999999999999999999999");
    EXPECT_EQ(ini.readString("Nope", "x", "d"), "d");
    ini.writeString("Color", "LineAci", "3");
    ASSERT_TRUE(ini.save());
    IniFile again(path());
    EXPECT_EQ(again.readString("Color", "LineAci", ""), "3");
}

TEST_F(IniFileTest, SaveIntoMissingFolderFails) {
    IniFile ini(dir.filePath("no/such/folder/t.ini"));
    ini.writeString("S", "k", "v");
    EXPECT_FALSE(ini.save());
}

TEST_F(IniFileTest, RewritingAnUnchangedValueKeepsItsBytes) {
    // 0xFF has no character in code page 932: decoding and encoding again would lose it.
    const QByteArray before = "[TargetCAD]\r\nProgID=\"Brics\xff\xff" "cad\"\r\nName=B\r\n";
    writeAll(path(), before);
    const QString progId = IniFile(path()).readString("TargetCAD", "ProgID", "");
    {
        IniFile ini(path());
        ini.writeString("TargetCAD", "ProgID", progId);
        ini.writeString("TargetCAD", "Name", "B");
        ASSERT_TRUE(ini.save());
    }
    EXPECT_EQ(readAll(path()), before);
    IniFile ini(path());
    ini.writeString("TargetCAD", "Name", "C");
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(readAll(path()), "[TargetCAD]\r\nProgID=\"Brics\xff\xff" "cad\"\r\nName=C\r\n");
}
