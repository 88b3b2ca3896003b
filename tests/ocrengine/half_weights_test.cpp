// Half-precision weights of the recogniser's ONNX graph widened for OpenCV.
#include "ocrengine/HalfWeights.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

namespace {

void varint(std::string& out, uint64_t v)
{
    while (v >= 0x80) {
        out += char((v & 0x7F) | 0x80);
        v >>= 7;
    }
    out += char(v);
}

std::string field(uint64_t number, const std::string& payload)
{
    std::string out;
    varint(out, number << 3 | 2);
    varint(out, payload.size());
    return out + payload;
}

std::string varintField(uint64_t number, uint64_t value)
{
    std::string out;
    varint(out, number << 3);
    varint(out, value);
    return out;
}

// ModelProto { ir_version 7, graph { name, initializer { dims 2, data_type, name, raw_data } } }
std::string model(uint64_t dataType, const std::string& raw)
{
    const std::string tensor = varintField(1, 2) + varintField(2, dataType) + field(8, "w") + field(9, raw);
    const std::string graph = field(2, "g") + field(5, tensor);
    return varintField(1, 7) + field(7, graph);
}

TEST(HalfWeights, WidensHalfInitializersAndKeepsTheRest)
{
    const unsigned char half[4] = {0x00, 0x3C, 0x00, 0xC1};  // 1.0, -2.5
    const std::string in = model(10, std::string(reinterpret_cast<const char*>(half), 4));
    const std::vector<char> out = widenHalfWeights(std::vector<char>(in.begin(), in.end()));
    float wide[2] = {1.0f, -2.5f};
    // Field order within the tensor: dims and name first, then data type and data.
    const std::string tensor = varintField(1, 2) + field(8, "w") + varintField(2, 1)
                             + field(9, std::string(reinterpret_cast<const char*>(wide), 8));
    EXPECT_EQ(std::string(out.begin(), out.end()), varintField(1, 7) + field(7, field(2, "g") + field(5, tensor)));

    // Single-precision tensors pass unchanged in content.
    const std::string single = model(1, std::string(reinterpret_cast<const char*>(wide), 8));
    const std::vector<char> same = widenHalfWeights(std::vector<char>(single.begin(), single.end()));
    EXPECT_EQ(same.size(), single.size());
}

TEST(HalfWeights, ConvertsHalfValues)
{
    EXPECT_EQ(halfToFloat(0x3C00), 1.0f);
    EXPECT_EQ(halfToFloat(0xC100), -2.5f);
    EXPECT_EQ(halfToFloat(0x0000), 0.0f);
    EXPECT_EQ(halfToFloat(0x7BFF), 65504.0f);
    EXPECT_FLOAT_EQ(halfToFloat(0x0001), std::ldexp(1.0f, -24));  // smallest subnormal
    EXPECT_TRUE(std::isinf(halfToFloat(0x7C00)));
    EXPECT_TRUE(std::isnan(halfToFloat(0x7E00)));
}

TEST(HalfWeights, MalformedMessagesGiveNothing)
{
    const std::string good = model(10, std::string(4, '\0'));
    for (size_t cut : {size_t(3), good.size() - 1}) {
        const std::string bad = good.substr(0, cut);
        EXPECT_TRUE(widenHalfWeights(std::vector<char>(bad.begin(), bad.end())).empty()) << cut;
    }
    const std::string odd = model(10, std::string(3, '\0'));  // half data of odd length
    EXPECT_TRUE(widenHalfWeights(std::vector<char>(odd.begin(), odd.end())).empty());
}

}  // namespace
