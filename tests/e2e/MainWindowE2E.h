#pragma once
// The real main window aimed at a real CAD host on the private bus, for runs
// where things go wrong. Message boxes are the real ones: a watcher notes each
// box, checks that the screen shows it fully drawn, and closes it.
#include "CadHostProcess.h"
#include "app/Form102.h"
#include "cad/CadObject.h"

#include <QJsonObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

// One row of the result table as text cells.
struct TableRow {
    QString text, height = QStringLiteral("2.5"), angle = QStringLiteral("0"), x = QStringLiteral("0"),
                  y = QStringLiteral("0"), width = QStringLiteral("0");
};

class MainWindowE2E : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A host serving a ProgID of its own (what names it), with the drawing if given.
    void startHost(const char* what, const QString& drawing = {});
    // The host ends as in a crash; returns once the bus has seen it go.
    void killHost();
    // A new host under the same ProgID, as when the user starts the CAD again.
    void restartHost(const QString& drawing = {});
    void openWindow();
    // The table as a crop leaves it: one result line per row, the write buttons on.
    void fillTable(const QList<TableRow>& rows);

    QList<QJsonObject> textsOn(const QString& layer);
    bool waitForTexts(const QString& layer, qsizetype count, int timeoutMs = 10000);
    // Whether the host's command line has run a command holding the word.
    bool commandSent(const QString& word);
    // The file names in the executable's folder.
    QStringList folderFiles() const;

    QTemporaryDir m_dir;
    QString m_progId;
    CadHostProcess m_host;
    CadObject m_app, m_doc;
    std::unique_ptr<TForm102> form;
    QStringList boxes;        // texts of the message boxes shown, in order
    QList<bool> boxesDrawn;   // whether each was seen on the screen as Qt drew it

private:
    void closeBox();
    QTimer m_boxWatch;
    bool m_inBox = false;
};

// The executable's folder cannot be written for as long as the object lives:
// read-only permissions, and where the test runs as root this thread's file
// system user becomes "nobody" (root would write anyway). holds() tells
// whether it worked here.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString& path);
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;
    bool holds() const;

private:
    QString m_path;
    bool m_switchedUser = false;
};
