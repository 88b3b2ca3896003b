#include "platform/ProgIdBusName.h"
#include <gtest/gtest.h>

namespace {

TEST(ProgIdBusName, MapsEveryElementToABusNameElement)
{
    const std::pair<QString, QString> cases[] = {
        {"BricscadApp.AcadApplication", "org.mirtex.cad.BricscadApp.AcadApplication"},
        {"AutoCAD.Application.24", "org.mirtex.cad.AutoCAD.Application._24"},
        {"ZWCAD.Application", "org.mirtex.cad.ZWCAD.Application"},
        {"GCAD.Application", "org.mirtex.cad.GCAD.Application"},
        {"My CAD$.App", "org.mirtex.cad.My_CAD_.App"},
        {"A..B", "org.mirtex.cad.A._.B"},
        {"", "org.mirtex.cad._"},
        {"9", "org.mirtex.cad._9"},
        {"x-y.1a_b", "org.mirtex.cad.x_y._1a_b"},
        {QString::fromUtf8("ＣＡＤ.Äpp"), "org.mirtex.cad.___._pp"},
        {QString::fromUtf8("a😀b"), "org.mirtex.cad.a_b"},
        {"_ok.Z9", "org.mirtex.cad._ok.Z9"},
    };
    for (const auto& [progId, busName] : cases)
        EXPECT_EQ(progIdToBusName(progId), busName) << progId.toStdString();
}

TEST(ProgIdBusName, ProgIdsDifferingInMappedCharactersShareAName)
{
    EXPECT_EQ(progIdToBusName("My CAD$.App"), progIdToBusName("My-CAD#.App"));
    EXPECT_NE(progIdToBusName("MyCAD.App"), progIdToBusName("mycad.App"));
}

} // namespace
