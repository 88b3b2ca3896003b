#include "app/AppPaths.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

TEST(AppPaths, ExtensionOfTheFileNameIsReplaced) {
    struct Case {
        const char* path;
        const char* expected;
    };
    const Case cases[] = {
        {"/opt/cad/MIRTEX", "/opt/cad/MIRTEX.ini"},
        {"/opt/cad/MIRTEX.exe", "/opt/cad/MIRTEX.ini"},
        {"/opt/cad/MIRTEX2", "/opt/cad/MIRTEX2.ini"},
        {"/opt/cad/mirtex.v2.bin", "/opt/cad/mirtex.v2.ini"},  // only the last extension
        {"/opt/cad.d/MIRTEX", "/opt/cad.d/MIRTEX.ini"},        // a dot in a folder is no extension
        {"/opt/cad/.mirtex", "/opt/cad/.mirtex.ini"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AppPaths::replaceExtension(QString::fromUtf8(c.path), ".ini"), QString::fromUtf8(c.expected))
            << c.path;
}

TEST(AppPaths, NamesFollowTheExecutable) {
    AppPaths::setExecutableForTesting("/srv/second", "CADLINK");
    EXPECT_EQ(AppPaths::exeFolder(), "/srv/second/");
    EXPECT_EQ(AppPaths::exePathWith(".ini"), "/srv/second/CADLINK.ini");
    EXPECT_EQ(AppPaths::exePathWith(".tsv"), "/srv/second/CADLINK.tsv");
    EXPECT_EQ(AppPaths::exePathWith(".bmp"), "/srv/second/CADLINK.bmp");
    EXPECT_EQ(AppPaths::inExeFolder("source.png"), "/srv/second/source.png");
    AppPaths::setExecutableForTesting("/srv/first");
    EXPECT_EQ(AppPaths::exePathWith(".ini"), "/srv/first/MIRTEX.ini");
}
