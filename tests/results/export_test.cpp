#include "results/ResultExport.h"
#include "results/ResultReader.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(ResultExport, BytesAreCodePage932WithCrLfAfterEveryLine) {
    TGridModel grid(9, 5);
    setupResultHeader(grid);
    const CropGeometry g{0.5, 100, 200, 300, 40};
    QTemporaryDir dir;
    const QString path = dir.filePath("MIRTEX.tsv");
    readResultSL({"0: 平面図: (10,20),(110,20),(110,40),(10,40)", "1: é: (0,0),(10,0),(10,10),(0,10)"},
                 g, 0.8, false, grid, [](const QString& s) { return int(s.size()); }, path);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    const QByteArray expected =
        "0.50000000\t300,40\t100.00000000,200.00000000\r\n"
        "\x95\xbd\x96\xca\x90\x7d\t10,20,110,20,110,40,10,40\t"
        "105.000,190.000,155.000,190.000,155.000,180.000,105.000,180.000\r\n"
        "?\t0,0,10,0,10,10,0,10\t100.000,200.000,105.000,200.000,105.000,195.000,100.000,195.000\r\n";
    EXPECT_EQ(bytes, expected);
}

TEST(ResultExport, UnwritablePathThrows) {
    TGridModel grid(9, 2);
    EXPECT_THROW(writeResultExport("/nonexistent-dir/x/MIRTEX.tsv", CropGeometry{}, grid), std::runtime_error);
}
