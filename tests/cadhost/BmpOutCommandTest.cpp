#include "cadhost/CommandInterpreter.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A command line whose view is a 40 x 30 image with one red pixel at (3, 2).
class BmpOut : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("view.bmp");
        commands.renderView = [] {
            QImage view(40, 30, QImage::Format_RGB32);
            view.fill(Qt::black);
            view.setPixel(3, 2, qRgb(255, 0, 0));
            return view;
        };
    }
    QTemporaryDir dir;
    QString path;
    HostState state;
    CommandInterpreter commands{state};
};

TEST_F(BmpOut, TypedNameAndEmptySelectionExportTheWholeView)
{
    state.intVariables["FILEDIA"] = 0;
    // As MIRTEX sends it: command, quoted name and the empty selection in one piece.
    commands.feed("_BMPOUT\r\"" + path + "\"\r\r");
    const QImage written(path, "BMP");
    ASSERT_FALSE(written.isNull()) << state.commandLog.join('\n').toStdString();
    EXPECT_EQ(written.size(), QSize(40, 30));
    EXPECT_EQ(written.depth(), 32);  // Qt reads 24-bit BMPs into 32-bit images
    EXPECT_EQ(written.pixel(3, 2) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(written.pixel(4, 2) & 0xFFFFFF, 0u);
    QFile raw(path);
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    const QByteArray header = raw.read(30);
    EXPECT_EQ(header.left(2), "BM");
    EXPECT_EQ(quint8(header[28]), 24);  // bits per pixel
    EXPECT_FALSE(commands.asking());
}

TEST_F(BmpOut, TypedSelectionIsRefusedAndAskedAgain)
{
    state.intVariables["FILEDIA"] = 0;
    commands.feed("BMPOUT\r" + path + "\rW\r");
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(commands.asking());
    EXPECT_TRUE(state.commandLog.join('\n').contains("無効な選択です: W"));
    commands.feed("\r");
    EXPECT_TRUE(QFile::exists(path));
}

TEST_F(BmpOut, EscapeAtAQuestionExportsNothingAndTheNextLineIsACommand)
{
    state.intVariables["FILEDIA"] = 0;
    commands.feed("BMPOUT\r" + path + "\r");
    ASSERT_TRUE(commands.asking());
    commands.feed(QString(QChar(0x1b)) + "\r");
    EXPECT_FALSE(commands.asking());
    EXPECT_FALSE(QFile::exists(path));
    commands.feed("SETVAR OSMODE 7\r");
    EXPECT_EQ(state.intVariables["OSMODE"], 7);
}

TEST_F(BmpOut, WithFileDialogsTheNameComesFromTheDialog)
{
    state.intVariables["FILEDIA"] = 1;
    QString answer = path;
    int dialogs = 0;
    commands.chooseSaveFile = [&](const QString&, const QString&) {
        ++dialogs;
        return answer;
    };
    commands.feed("BMPOUT\r\r");
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(QFile::exists(path));
    QFile::remove(path);
    answer.clear();  // the user cancels the dialog
    commands.feed("BMPOUT\r");
    EXPECT_FALSE(commands.asking());
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(BmpOut, AnUnwritableFileIsReported)
{
    state.intVariables["FILEDIA"] = 0;
    commands.feed("BMPOUT\r\"" + dir.filePath("missing/folder/view.bmp") + "\"\r\r");
    EXPECT_TRUE(state.commandLog.last().startsWith("書き出せません")) << state.commandLog.last().toStdString();
}

}  // namespace
