#include "capture/CropCommand.h"
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QThread>
#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <thread>

namespace {

struct RoadCase {
    const char* progId;
    bool exportRoad;
    bool escapeKey;
};

TEST(CropCommandRoads, ProgIdChoosesPixelRoadAndEscape)
{
    const RoadCase cases[] = {
        {"AutoCAD.Application.24", true, true},
        {"autocad.application", true, false},
        {"AUTOCAD.Application", true, false},
        {"BricscadApp.AcadApplication", false, false},
        {"ZWCAD.Application", false, false},
        {"DraftSight.Application", true, false},
        {"DRAFTSIGHT.Application", true, false},
        {"PCAD.Application", true, false},
        {"pcad.Application", true, false},
        {"GCAD.Application", false, false},
        {"My.AutoCAD", false, true},      // the road needs the name at the start
        {"Vendor.Autodesk", false, true}, // "Auto" anywhere, in that case
        {"", false, false},
    };
    for (const RoadCase& c : cases) {
        EXPECT_EQ(TCropCommand::usesExportRoad(QString::fromLatin1(c.progId)), c.exportRoad) << c.progId;
        EXPECT_EQ(TCropCommand::injectsEscapeKey(QString::fromLatin1(c.progId)), c.escapeKey) << c.progId;
    }
}

QByteArray bmpBytes(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB888);
    img.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "BMP");
    return bytes;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

TEST(CropCommandBmpWait, CompleteFileIsAcceptedAtOnce)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("view.bmp");
    writeFile(path, bmpBytes(30, 20));
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(waitForCompleteBmp(path, 2000));
    EXPECT_LT(clock.elapsed(), 500);
}

struct PartialCase {
    const char* name;
    QByteArray bytes;
};

TEST(CropCommandBmpWait, MissingOrIncompleteFileTimesOut)
{
    const QByteArray full = bmpBytes(30, 20);
    const PartialCase cases[] = {
        {"absent", QByteArray()},
        {"header only", full.left(4)},
        {"half written", full.left(full.size() / 2)},
        {"not a bitmap", QByteArray(full.size(), 'x')},
    };
    for (const PartialCase& c : cases) {
        QTemporaryDir dir;
        const QString path = dir.filePath("view.bmp");
        if (!c.bytes.isEmpty())
            writeFile(path, c.bytes);
        QElapsedTimer clock;
        clock.start();
        EXPECT_FALSE(waitForCompleteBmp(path, 300)) << c.name;
        EXPECT_GE(clock.elapsed(), 300) << c.name;
        EXPECT_LT(clock.elapsed(), 1500) << c.name;
    }
}

TEST(CropCommandBmpWait, FileFinishedLaterIsWaitedFor)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("view.bmp");
    const QByteArray full = bmpBytes(64, 48);
    writeFile(path, full.left(100));
    std::thread writer([&] {
        QThread::msleep(400);
        QFile f(path);
        f.open(QIODevice::Append);
        f.write(full.mid(100));
    });
    QElapsedTimer clock;
    clock.start();
    const bool complete = waitForCompleteBmp(path, 5000);
    const qint64 waited = clock.elapsed();
    writer.join();
    EXPECT_TRUE(complete);
    EXPECT_GE(waited, 350);
    EXPECT_LT(waited, 3000);
    EXPECT_FALSE(QImage(path).isNull());
}

} // namespace
