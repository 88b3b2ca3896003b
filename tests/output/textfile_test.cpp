#include "output/TextFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
}

TEST(TextFile, EveryLineEndsInCrLfInTheChosenEncoding) {
    QTemporaryDir dir;
    const QString path = dir.filePath("out.txt");
    const QStringList lines = {QString::fromUtf8("図 é"), "", "x"};
    writeTextLines(path, lines, TextEncoding::Cp932);
    EXPECT_EQ(readAll(path), QByteArray("\x90\x7d ?\r\n\r\nx\r\n"));
    writeTextLines(path, lines, TextEncoding::Utf8Bom);
    EXPECT_EQ(readAll(path), QByteArray("\xEF\xBB\xBF") + QString::fromUtf8("図 é").toUtf8() + "\r\n\r\nx\r\n");
    writeTextLines(path, {}, TextEncoding::Cp932);
    EXPECT_EQ(readAll(path), QByteArray());
}

TEST(TextFile, FailureThrowsAndKeepsTheOldFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("keep.txt");
    writeTextLines(path, {"old"}, TextEncoding::Cp932);
    const QString missing = dir.filePath("no/such/dir/x.txt");
    try {
        writeTextLines(missing, {"a"}, TextEncoding::Cp932);
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).startsWith(missing + " に書き込めません: ")) << e.what();
    }
    // A folder in the way of the target: the write fails and nothing is half-written.
    QDir(dir.path()).mkdir("blocked");
    EXPECT_THROW(writeTextLines(dir.filePath("blocked"), {"a"}, TextEncoding::Cp932), std::runtime_error);
    EXPECT_EQ(readAll(path), QByteArray("old\r\n"));
}
