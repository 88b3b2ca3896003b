// The recogniser's training script runs a few steps on rendered lines and its
// export loads in the engine's recogniser, so neither can rot unnoticed.
// Skipped where the training packages (ocrengine/training/install-training-deps.sh) are absent.
#include "ocrengine/LineRecognizer.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kPython = QStringLiteral("/usr/bin/python3");
const QString kTraining = QStringLiteral(MIRTEX_SOURCE_DIR "/ocrengine/training/");

int run(const QStringList& args, QByteArray* output = nullptr)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(kPython, args);
    if (!p.waitForFinished(240000))
        return -1;
    if (output)
        *output = p.readAll();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

TEST(TrainingScript, TrainsAFewStepsAndExportsAModelTheEngineLoads)
{
    if (run({"-c", "import torch, onnx, numpy"}) != 0)
        GTEST_SKIP() << "python3-torch / python3-onnx not installed";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QByteArray log;
    ASSERT_EQ(run({kTraining + "train.py", "--renderer", MIRTEX_BIN_DIR "/ocr-render-lines", "--out", dir.path(),
                   "--steps", "2", "--batch", "4", "--eval-lines", "4"},
                  &log),
              0)
        << log.toStdString();
    EXPECT_TRUE(log.contains("\"final\": true")) << log.toStdString();
    const QString onnx = dir.filePath("recognizer.onnx");
    ASSERT_EQ(run({kTraining + "export.py", dir.filePath("checkpoint.pt"), onnx}, &log), 0) << log.toStdString();

    QFile model(onnx), charset(kTraining + "charset.txt");
    ASSERT_TRUE(model.open(QIODevice::ReadOnly));
    ASSERT_TRUE(charset.open(QIODevice::ReadOnly));
    const QByteArray bytes = model.readAll();
    EXPECT_LT(bytes.size(), 20 * 1024 * 1024);
    LineRecognizer recognizer;
    ASSERT_TRUE(recognizer.load(std::vector<char>(bytes.begin(), bytes.end()), charset.readAll().toStdString()));
    // Any width reads; a blank line gives no characters or unsure ones.
    for (int width : {8, 61, 300}) {
        const LineReading r = recognizer.read(std::vector<uint8_t>(size_t(width) * 32u, 255), width, 32);
        EXPECT_LE(r.confidence, 1.0f);
    }
    // A character set that does not fit the network is refused.
    EXPECT_FALSE(LineRecognizer().load(std::vector<char>(bytes.begin(), bytes.end()), " \nA\nB\n"));
}

}  // namespace
