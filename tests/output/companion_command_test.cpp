#include "app/AppPaths.h"
#include "output/CompanionCommand.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

TEST(CompanionCommand, LoadLineDoublesEveryBackslash)
{
    EXPECT_EQ(TCompanionCommand::loadCommand(QStringLiteral("C:\\Tools\\qvrise.lsp")),
              QStringLiteral("(load \"C:\\\\Tools\\\\qvrise.lsp\")(princ)\r"));
    EXPECT_EQ(TCompanionCommand::loadCommand(QStringLiteral("/opt/mirtex/qvrise.lsp")),
              QStringLiteral("(load \"/opt/mirtex/qvrise.lsp\")(princ)\r"));
}

TEST(CompanionCommand, CommandNamesComeFromTheItemNames)
{
    const std::pair<const char*, const char*> cases[] = {
        {"VRISE1", "QVRISE"}, {"VSWEEP1", "QVSWEEP"}, {"VRULE1", "QVRULE"}, {"VSPAN1", "QVSPAN"},
        {"VALIGN1", "QVALIGN"}, {"VCOPY1", "QVCOPY"}, {"VDROP1", "QVDROP"},
        {"V1A1B11", "QVAB"},  // every digit 1 goes, not only the last
    };
    for (const auto& [item, command] : cases)
        EXPECT_EQ(TCompanionCommand::commandName(QString::fromLatin1(item)), QString::fromLatin1(command)) << item;
}

TEST(CompanionCommand, MissingFileShowsThePathAndSendsNothing)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    AppPaths::setExecutableForTesting(folder.path());
    const QString path = TCompanionCommand::companionFilePath();
    EXPECT_EQ(path, folder.path() + QStringLiteral("/qvrise.lsp"));

    QStringList messages;
    // No CAD serves this ProgID: only the message box can tell what happened.
    TCompanionCommand::loadCompanionFile(QStringLiteral("Nobody.Application"),
                                         [&](const QString& text) { messages << text; });
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], path + QStringLiteral("\nが、見つかりません．"));

    // With the file there and no CAD running nothing is shown and nothing fails.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    messages.clear();
    TCompanionCommand::loadCompanionFile(QStringLiteral("Nobody.Application"),
                                         [&](const QString& text) { messages << text; });
    TCompanionCommand::startCommand(QStringLiteral("Nobody.Application"), QStringLiteral("VCOPY1"));
    EXPECT_TRUE(messages.isEmpty());
}

}  // namespace
