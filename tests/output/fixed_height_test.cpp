#include "output/DxfInsertCommand.h"
#include "output/FixedTextHeight.h"

#include <gtest/gtest.h>

// The crop command's hand-over reads the top panel's box, a button the bottom's.
TEST(FixedTextHeight, SenderChoosesTheBox) {
    struct Case {
        bool byCrop;
        FixedHeightBoxes boxes;
        double height;
    };
    const Case cases[] = {
        {true, {true, " 3 ", true, "7"}, 3.0},
        {false, {true, "3", true, "7"}, 7.0},
        {false, {true, "3", false, "7"}, 0.0},
        {true, {false, "3", true, "7"}, 0.0},
        {true, {true, "three", false, ""}, 2.5},
        {false, {false, "", true, ""}, 2.5},
        {false, {false, "", true, "0"}, 0.0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fixedTextHeight(c.byCrop, c.boxes), c.height)
            << c.byCrop << " " << c.boxes.cropText.toStdString() << " " << c.boxes.tableText.toStdString();
}

TEST(FixedTextHeight, TextAciBelowOneIsThirty) {
    EXPECT_EQ(correctedTextAci(0), 30);
    EXPECT_EQ(correctedTextAci(-4), 30);
    EXPECT_EQ(correctedTextAci(1), 1);
    EXPECT_EQ(correctedTextAci(255), 255);
}

TEST(DxfInsertCommand, InsertCommandQuotesTheAsteriskedPathAndAnswersInTurn) {
    EXPECT_EQ(TDxfInsertCommand::insertCommand(QStringLiteral("/opt/m x\\y/temp.dxf")),
              QStringLiteral("-INSERT \"*/opt/m x\\y/temp.dxf\"\r0,0 1.0 0.0\r"));
}
