#include "cad/CadObject.h"
#include <QDBusVariant>
#include <climits>
#include <gtest/gtest.h>

namespace {

TEST(CadValues, PointsAreThreeDoubles)
{
    const QVariant p = point(1.25, -3.5, 0);
    EXPECT_EQ(p.metaType(), QMetaType::fromType<QList<double>>());
    EXPECT_EQ(toPoint(p), (QList<double>{1.25, -3.5, 0}));
}

TEST(CadValues, ToPointAcceptsTheShapesAReplyTakes)
{
    const QList<double> expected{4, 5, 6};
    const QVariant shapes[] = {
        QVariant::fromValue(expected),
        QVariant::fromValue(QDBusVariant(QVariant::fromValue(expected))),
        QVariant(QVariantList{4, 5.0, qlonglong(6)}),
        QVariant::fromValue(QDBusVariant(QVariant(QVariantList{4, 5, 6}))),
    };
    for (const QVariant& v : shapes)
        EXPECT_EQ(toPoint(v), expected) << v.typeName();
    EXPECT_EQ(toPoint(QVariant::fromValue(QList<double>{800, 600})), (QList<double>{800, 600}));
}

TEST(CadValues, ToPointRejectsWhatIsNoPoint)
{
    const QVariant bad[] = {QVariant(), QVariant(3), QVariant(QStringLiteral("1,2,3")),
                            QVariant(QVariantList{1, QStringLiteral("x"), 3})};
    for (const QVariant& v : bad)
        EXPECT_THROW(toPoint(v), CadError) << v.typeName();
}

TEST(CadValues, OnlyPicksWaitWithoutLimit)
{
    const std::pair<const char*, int> cases[] = {
        {"GetPoint", INT_MAX}, {"GetCorner", INT_MAX}, {"getpoint", 25000}, {"GetVariable", 25000},
        {"AddText", 25000},    {"SendCommand", 25000}, {"", 25000},
    };
    for (const auto& [member, timeout] : cases)
        EXPECT_EQ(CadObject::timeoutFor(QString::fromLatin1(member)), timeout) << member;
}

TEST(CadValues, ErrorsCarryTheirName)
{
    const CadError e(QStringLiteral("org.mirtex.Automation.Error.Cancelled"), QStringLiteral("the user pressed Escape"));
    EXPECT_EQ(e.name(), QStringLiteral("org.mirtex.Automation.Error.Cancelled"));
    EXPECT_STREQ(e.what(), "org.mirtex.Automation.Error.Cancelled: the user pressed Escape");
}

} // namespace
