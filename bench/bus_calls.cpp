// bench-bus-calls: automation calls per second against a reference CAD host
// that it starts itself (needs a session bus): a trivial GetVariable, and
// AddText with the property writes of one created text.
#include "cad/CadConnection.h"
#include "cad/CadObject.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <cstdio>
#include <functional>

namespace {

double perSecond(const std::function<void()>& call, int minimumMs)
{
    QElapsedTimer clock;
    clock.start();
    long count = 0;
    while (clock.elapsed() < minimumMs) {
        call();
        ++count;
    }
    return count * 1000.0 / double(clock.elapsed());
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString progId = QStringLiteral("MirtexBench.BusCalls%1").arg(QCoreApplication::applicationPid());
    QProcess host;
    host.setProcessChannelMode(QProcess::ForwardedChannels);
    host.start(QStringLiteral(MIRTEX_BIN_DIR "/cadhost"), {QStringLiteral("--progid"), progId});
    if (!host.waitForStarted(10000)) {
        std::fprintf(stderr, "cannot start cadhost: %s\n", qPrintable(host.errorString()));
        return 1;
    }
    CadObject application;
    QElapsedTimer wait;
    wait.start();
    while (!connectCad(progId, application, false)) {
        if (wait.elapsed() > 20000 || host.state() != QProcess::Running) {
            std::fprintf(stderr, "the host did not come up\n");
            return 1;
        }
        QThread::msleep(50);
    }
    int status = 0;
    try {
        CadObject document = application.getObject(QStringLiteral("ActiveDocument"));
        const CadObject modelSpace = document.getObject(QStringLiteral("ModelSpace"));
        ensureLayer(document, QStringLiteral("MIRTEX"), 30);
        const double variables = perSecond([&] { document.invoke(QStringLiteral("GetVariable"), {QStringLiteral("OSMODE")}); }, 2000);
        int n = 0;
        const double texts = perSecond(
            [&] {
                const double y = 10.0 * n++;
                const CadObject text = modelSpace.object(
                    modelSpace.invoke(QStringLiteral("AddText"), {QStringLiteral("ABC 文字"), point(0, y, 0), 2.5}).value(0));
                text.put(QStringLiteral("Visible"), false);
                text.put(QStringLiteral("Layer"), QStringLiteral("MIRTEX"));
                text.put(QStringLiteral("Color"), 256);
                text.put(QStringLiteral("ScaleFactor"), 0.8);
                text.put(QStringLiteral("Alignment"), 9);
                text.put(QStringLiteral("TextAlignmentPoint"), point(0, y, 0));
                text.put(QStringLiteral("Visible"), true);
            },
            2000);
        std::printf("GetVariable: %.0f calls/s\nAddText + 7 property writes: %.0f texts/s\n", variables, texts);
    } catch (const CadError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        status = 1;
    }
    host.terminate();
    if (!host.waitForFinished(5000))
        host.kill();
    host.waitForFinished(5000);
    return status;
}
