#include "ocrengine/ModelFile.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fstream>

namespace {

const std::string kKey = "0123456789abcdefghijklmnopqrstuv";

class ModelFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::string path() const { return dir.filePath("m.onemodel").toStdString(); }
    ModelFiles sample() const
    {
        return {{"Japanese.traineddata", {'a', '\0', 'b'}}, {"empty", {}}, {"big", std::vector<char>(70000, 'x')}};
    }
};

TEST_F(ModelFileTest, RoundTripKeepsNamesAndBytes)
{
    ASSERT_TRUE(writeModelFile(path(), kKey, sample()));
    ModelFiles back;
    ASSERT_TRUE(readModelFile(path(), kKey, back));
    EXPECT_EQ(back, sample());
}

TEST_F(ModelFileTest, WrongKeyOrDamagedFileIsRefused)
{
    ASSERT_TRUE(writeModelFile(path(), kKey, sample()));
    ModelFiles back;
    EXPECT_FALSE(readModelFile(path(), "0123456789abcdefghijklmnopqrstuV", back));
    EXPECT_FALSE(readModelFile(path(), kKey.substr(0, 31), back));
    EXPECT_TRUE(back.empty());
    EXPECT_FALSE(readModelFile(dir.filePath("absent").toStdString(), kKey, back));

    std::ifstream in(path(), std::ios::binary);
    const std::string whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (size_t cut : {size_t(5), size_t(40), whole.size() - 1}) {
        std::ofstream(path(), std::ios::binary | std::ios::trunc).write(whole.data(), std::streamsize(cut));
        EXPECT_FALSE(readModelFile(path(), kKey, back)) << "cut at " << cut;
    }
}

TEST_F(ModelFileTest, KeyMustBe32Characters)
{
    EXPECT_FALSE(writeModelFile(path(), "short", sample()));
}

}  // namespace
