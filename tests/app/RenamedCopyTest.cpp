// A renamed copy of the program keeps settings of its own: it reads and writes
// <its name>.ini beside itself and leaves MIRTEX.ini alone.
#include "WindowManagerState.h"
#include "app/Application.h"
#include "app/IniFile.h"
#include "WindowManagerTestApp.h"
#include "tests/support/QtTestSupport.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
}

TEST(RenamedCopy, UsesTheSettingsFileNamedAfterItself) {
    ASSERT_TRUE(startWindowManagerTest());
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString copy = dir.filePath("CADLINK2");
    ASSERT_TRUE(QFile::copy(QStringLiteral(MIRTEX_BIN_DIR "/MIRTEX"), copy));
    const QByteArray firstIni = "[TargetCAD]\r\nProgID=First.Application\r\nName=FirstCAD\r\n";
    writeFile(dir.filePath("MIRTEX.ini"), firstIni);
    writeFile(dir.filePath("CADLINK2.ini"), "[TargetCAD]\r\nProgID=Second.Application\r\nName=SecondCAD\r\n"
                                            "[Deg]\r\nStep=15\r\n");

    QProcess program;
    program.setWorkingDirectory(QStringLiteral("/"));
    program.start(copy, {});
    ASSERT_TRUE(program.waitForStarted(10000));
    quint64 window = 0;
    const bool shown = waitUntil([&] {
        window = WindowManagerState::clientOfProcess(program.processId());
        return window && WindowManagerState::windowName(window).endsWith(QStringLiteral(" [ SecondCAD ]"));
    }, 15000);
    const QString title = window ? WindowManagerState::windowName(window) : QString();
    if (shown) WindowManagerState::requestClose(window);
    const bool ended = program.waitForFinished(10000);
    if (!ended) program.kill();
    ASSERT_TRUE(shown) << "title: " << title.toStdString();
    ASSERT_TRUE(ended);
    EXPECT_EQ(program.exitCode(), 0);

    // Written back at exit into its own file, every setting included.
    const IniFile own(dir.filePath("CADLINK2.ini"));
    EXPECT_EQ(own.readString("TargetCAD", "ProgID", {}), "Second.Application");
    EXPECT_EQ(own.readString("Deg", "Step", {}), "15");
    EXPECT_FALSE(own.readString("Text", "HScale", {}).isEmpty());
    EXPECT_EQ(readFile(dir.filePath("MIRTEX.ini")), firstIni);
}
