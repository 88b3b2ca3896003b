#include "app/IniFile.h"
#include "output/CodePage.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
QByteArray readBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

class IniFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath("MIRTEX.ini"); }
};
}

TEST_F(IniFileTest, MissingFileGivesDefaultsAndNewFileIsUtf8WithoutBom) {
    IniFile ini(path());
    EXPECT_EQ(ini.readString("Form", "Left", "dflt"), "dflt");
    ini.writeString("TargetCAD", "Name", "ブリックス");
    ASSERT_TRUE(ini.save());
    const QByteArray bytes = readBytes(path());
    EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(bytes, QString("[TargetCAD]\nName=ブリックス\n").toUtf8());
}

TEST_F(IniFileTest, ForeignContentIsKeptByteForByte) {
    const QByteArray before =
        "; comment line\r\n[Other]\r\nkey = keep me \r\n\r\n[form]\r\nLEFT=12\r\n"
        "junk without equals\r\nTop=5\r\n\r\n[Tail]\r\nx=1";
    writeBytes(path(), before);
    IniFile ini(path());
    EXPECT_EQ(ini.readString("Form", "Left", ""), "12");  // case-insensitive section and key
    ini.writeString("Form", "Left", "40");
    ini.writeString("Form", "Width", "596");   // appended after the section's last line
    ini.writeString("New", "A", "b");          // appended section
    ASSERT_TRUE(ini.save());
    const QByteArray expected =
        "; comment line\r\n[Other]\r\nkey = keep me \r\n\r\n[form]\r\nLeft=40\r\n"
        "junk without equals\r\nTop=5\r\nWidth=596\r\n\r\n[Tail]\r\nx=1\r\n[New]\r\nA=b\r\n";
    EXPECT_EQ(readBytes(path()), expected);
}

TEST_F(IniFileTest, AwkwardValuesSurviveWriteAndRead) {
    const QStringList values = {
        "a,b,c", "x=y=z", "\"quoted\"", "\"half", " padded ", "", "ＭＳ ゴシック", "?#",
        "semi;colon", "line\nbreak"};
    {
        IniFile ini(path());
        for (int i = 0; i < values.size(); ++i) ini.writeString("S", QString("k%1").arg(i), values[i]);
        ASSERT_TRUE(ini.save());
    }
    IniFile back(path());
    for (int i = 0; i < values.size(); ++i) {
        QString expected = values[i];
        expected.replace('\n', ' ');  // a line break would split the key into two lines
        EXPECT_EQ(back.readString("S", QString("k%1").arg(i), "missing"), expected) << i;
    }
    // The line break did not create a foreign key.
    EXPECT_EQ(back.readString("S", "break", "missing"), "missing");
}

TEST_F(IniFileTest, ReadingTrimsAndUnquotesLikeWindows) {
    writeBytes(path(), "[A]\n  Key  =   \"  spaced  \"  \nPlain=  v  \nEmpty=\n");
    IniFile ini(path());
    EXPECT_EQ(ini.readString("a", "key", "d"), "  spaced  ");
    EXPECT_EQ(ini.readString("A", "Plain", "d"), "v");
    EXPECT_EQ(ini.readString("A", "Empty", "d"), "");
}

TEST_F(IniFileTest, DuplicatesFirstOccurrenceWins) {
    writeBytes(path(), "[A]\nk=1\nk=2\n[A]\nk=3\nother=4\n");
    IniFile ini(path());
    EXPECT_EQ(ini.readString("A", "k", ""), "1");
    EXPECT_EQ(ini.readString("A", "other", "none"), "none");  // only the first section counts
    ini.writeString("A", "k", "9");
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(readBytes(path()), QByteArray("[A]\nk=9\nk=2\n[A]\nk=3\nother=4\n"));
}

TEST_F(IniFileTest, ShiftJisFileIsReadAndWrittenBackInShiftJis) {
    const QByteArray sjisName = toCp932(QString("ブリックスキャド"));
    QByteArray before = "[TargetCAD]\r\nName=" + sjisName + "\r\n[Text]\r\nAttn=" + toCp932("※") + "\r\n";
    writeBytes(path(), before);
    IniFile ini(path());
    EXPECT_EQ(ini.encoding(), IniFile::Encoding::Cp932);
    EXPECT_EQ(ini.readString("TargetCAD", "Name", ""), "ブリックスキャド");
    EXPECT_EQ(ini.readString("Text", "Attn", ""), "※");
    ini.writeString("Text", "Attn", "誤");
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(readBytes(path()), "[TargetCAD]\r\nName=" + sjisName + "\r\n[Text]\r\nAttn=" + toCp932("誤") + "\r\n");
}

TEST_F(IniFileTest, GarbageAndBinaryNeverCrash) {
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i) garbage += char((i * 131 + 7) % 256);
    garbage += "\n[Form]\nLeft=99999999999999999999999\n[\n=\n]]]\n\0\0=\0\n";
    writeBytes(path(), garbage);
    IniFile ini(path());
    EXPECT_EQ(ini.readString("Form", "Left", ""), "99999999999999999999999");
    EXPECT_EQ(ini.readString("", "", "d"), ini.readString("", "", "d"));
    ini.writeString("Form", "Left", "1");
    ASSERT_TRUE(ini.save());
    IniFile back(path());
    EXPECT_EQ(back.readString("Form", "Left", ""), "1");
    // Everything before the rewritten line is untouched.
    EXPECT_TRUE(readBytes(path()).startsWith(garbage.left(4096)));
}

TEST_F(IniFileTest, UnwritableFileReportsFailure) {
    IniFile ini(dir.filePath("no/such/folder/MIRTEX.ini"));
    ini.writeString("A", "k", "v");
    EXPECT_FALSE(ini.save());
}
