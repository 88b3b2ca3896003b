#include "imaging/Aci.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(Aci, TableValues) {
    struct Case { int aci; Rgb rgb; };
    const Case cases[] = {
        {1, {255, 0, 0}},      {2, {255, 255, 0}},   {3, {0, 255, 0}},     {4, {0, 255, 255}},
        {5, {0, 0, 255}},      {6, {255, 0, 255}},   {7, {255, 255, 255}}, {8, {128, 128, 128}},
        {9, {192, 192, 192}},  {10, {255, 0, 0}},    {11, {255, 127, 127}}, {19, {76, 38, 38}},
        {20, {255, 63, 0}},    {21, {255, 159, 127}}, {30, {255, 127, 0}}, {-30, {255, 127, 0}},
        {178, {0, 0, 76}},     {249, {76, 38, 47}},  {250, {51, 51, 51}},  {251, {91, 91, 91}},
        {252, {132, 132, 132}}, {253, {173, 173, 173}}, {254, {214, 214, 214}},
        {0, {255, 255, 255}},  {255, {255, 255, 255}}, {256, {255, 255, 255}}, {100000, {255, 255, 255}},
        {12, {204, 0, 0}}, {-2147483647 - 1, {255, 255, 255}},
    };
    for (const auto& c : cases) {
        const Rgb got = aciToRgb(c.aci);
        EXPECT_EQ(got, c.rgb) << c.aci << " gave " << got.r << "," << got.g << "," << got.b;
    }
}

TEST(Aci, ContrastColour) {
    EXPECT_EQ(contrastColor({255, 255, 255}), (Rgb{0, 0, 76}));
    EXPECT_EQ(contrastColor({0, 0, 0}), (Rgb{255, 255, 255}));
    EXPECT_NEAR(relativeLuminance({255, 255, 255}), 1.0, 1e-12);
    EXPECT_NEAR(relativeLuminance({0, 0, 0}), 0.0, 1e-12);
}

TEST(Aci, ShadeRowsHaveTheirValueAsBrightestChannel) {
    const int values[10] = {255, 255, 204, 204, 153, 153, 127, 127, 76, 76};
    for (int a = 10; a <= 249; ++a) {
        const Rgb c = aciToRgb(a);
        EXPECT_EQ(std::max({c.r, c.g, c.b}), values[a % 10]) << a;
        EXPECT_EQ(aciToRgb(-a), c);
    }
}

TEST(Aci, LuminanceOfThePrimaries) {
    EXPECT_NEAR(relativeLuminance({255, 0, 0}), 0.2126, 1e-12);
    EXPECT_NEAR(relativeLuminance({0, 255, 0}), 0.7152, 1e-12);
    EXPECT_NEAR(relativeLuminance({0, 0, 255}), 0.0722, 1e-12);
    EXPECT_NEAR(relativeLuminance({10, 10, 10}), (10 / 255.0) / 12.92, 1e-12);
}
