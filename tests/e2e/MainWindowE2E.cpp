#include "MainWindowE2E.h"

#include "tests/support/QtTestSupport.h"
#include "app/AppPaths.h"
#include "app/Application.h"
#include "cad/CadConnection.h"
#include "platform/WindowSystem.h"
#include "tests/support/ResultRows.h"
#include "tests/support/ScratchExecutable.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <signal.h>
#include <sys/fsuid.h>
#include <unistd.h>
#include <cstdlib>

namespace {

constexpr uid_t kNobody = 65534;

// The box as the screen shows it matches the box as Qt draws it: nothing of it
// is left blank or half-painted.
bool shownAsDrawn(QMessageBox* box)
{
    if (!box->isVisible()) return false;
    const QImage drawn = box->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage shown = grabWindowArea(box->winId(), box->rect()).convertToFormat(QImage::Format_RGB32);
    if (shown.isNull() || shown.size() != drawn.size()) return false;
    qsizetype same = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) {
            const QRgb a = shown.pixel(x, y), b = drawn.pixel(x, y);
            same += std::abs(qRed(a) - qRed(b)) <= 8 && std::abs(qGreen(a) - qGreen(b)) <= 8
                && std::abs(qBlue(a) - qBlue(b)) <= 8;
        }
    return same >= qsizetype(0.98 * shown.width() * shown.height());
}

}  // namespace

void MainWindowE2E::SetUp()
{
    testApplication<MirtexApplication>();
    ASSERT_TRUE(m_dir.isValid());
    // The executable's folder: the OCR engine files and the programs beside a scratch MIRTEX.
    useScratchExecutableFolder(m_dir.path());
    QObject::connect(&m_boxWatch, &QTimer::timeout, [this] { closeBox(); });
    m_boxWatch.start(100);
}

void MainWindowE2E::TearDown()
{
    form.reset();
    m_boxWatch.stop();
    m_host.stop();
}

void MainWindowE2E::closeBox()
{
    QPointer<QMessageBox> box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || m_inBox) return;
    m_inBox = true;
    const bool drawn = waitUntil([&] { return box && shownAsDrawn(box); }, 5000);
    if (box) {
        boxes << box->text();
        boxesDrawn << drawn;
        box->done(0);
    }
    m_inBox = false;
}

void MainWindowE2E::startHost(const char* what, const QString& drawing)
{
    m_progId = QStringLiteral("MirtexFaultE2E.%1%2").arg(QLatin1String(what)).arg(QCoreApplication::applicationPid());
    ASSERT_TRUE(m_host.start(QStringLiteral(MIRTEX_BIN_DIR "/cadhost"), m_progId, drawing)) << m_host.error().toStdString();
    ASSERT_TRUE(connectCad(m_progId, m_app, false));
    m_doc = m_app.getObject(QStringLiteral("ActiveDocument"));
}

void MainWindowE2E::killHost()
{
    ASSERT_EQ(::kill(pid_t(m_host.processId()), SIGKILL), 0);
    QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    ASSERT_TRUE(waitUntil([&] { return !bus->isServiceRegistered(m_host.busName()).value(); }, 5000));
    m_host.stop();
}

void MainWindowE2E::restartHost(const QString& drawing)
{
    m_host.stop();
    ASSERT_TRUE(m_host.start(QStringLiteral(MIRTEX_BIN_DIR "/cadhost"), m_progId, drawing)) << m_host.error().toStdString();
    ASSERT_TRUE(connectCad(m_progId, m_app, false));
    m_doc = m_app.getObject(QStringLiteral("ActiveDocument"));
}

void MainWindowE2E::openWindow()
{
    form = std::make_unique<TForm102>();
    form->TargetProgID = m_progId;
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
}

void MainWindowE2E::fillTable(const QList<TableRow>& rows)
{
    form->OcrResultLines.clear();
    TGridModel& g = form->Grid;
    g.setRowCount(int(rows.size()) + 1);
    for (int r = 1; r <= rows.size(); ++r) {
        const TableRow& row = rows[r - 1];
        form->OcrResultLines << QString::number(r - 1) + QStringLiteral(": ") + row.text
                + QStringLiteral(": (0,0),(10,0),(10,5),(0,5)");
        setResultRow(g, r, row);
    }
    form->Button1->setEnabled(true);
    form->Button9->setEnabled(true);
}

QList<QJsonObject> MainWindowE2E::textsOn(const QString& layer)
{
    QList<QJsonObject> out;
    for (const QJsonObject& e : m_host.entities())
        if (e[QStringLiteral("layer")].toString() == layer) out << e;
    return out;
}

bool MainWindowE2E::waitForTexts(const QString& layer, qsizetype count, int timeoutMs)
{
    return waitUntil([&] { return textsOn(layer).size() == count; }, timeoutMs);
}

bool MainWindowE2E::commandSent(const QString& word) { return m_host.commandLog().contains(word); }

QStringList MainWindowE2E::folderFiles() const
{
    return QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

ReadOnlyFolder::ReadOnlyFolder(const QString& path) : m_path(path)
{
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
                                    | QFile::ReadOther | QFile::ExeOther);
    if (geteuid() == 0) {
        setfsuid(kNobody);
        m_switchedUser = setfsuid(uid_t(-1)) == kNobody;
    }
}

ReadOnlyFolder::~ReadOnlyFolder()
{
    if (m_switchedUser) setfsuid(0);
    QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

bool ReadOnlyFolder::holds() const
{
    QFile probe(m_path + QStringLiteral("/probe"));
    if (!probe.open(QIODevice::WriteOnly)) return true;
    probe.remove();
    return false;
}
