// cadhost [--progid PROGID] [FILE.dxf]: the reference CAD host on the session bus.
#include "cadhost/AutomationBus.h"
#include "cadhost/HostWindow.h"
#include "cadhost/LispPrompts.h"
#include "platform/ProgIdBusName.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDBusConnection>
#include <QDBusConnectionInterface>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"progid", "ProgID to serve.", "PROGID", "BricscadApp.AcadApplication"});
    parser.addPositionalArgument("file", "DXF drawing to open.");
    parser.process(app);
    const QString busName = progIdToBusName(parser.value("progid"));

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "cadhost: no session bus\n");
        return 2;
    }
    HostState state;
    HostWindow window(state);
    AutomationBus automation(state, window, bus);
    window.commands().lisp().objects = [&automation](const QString& path, const QString& kind, const QString& member,
                                                     const QVariantList& args) {
        return automation.callInProcess(path, kind, member, args);
    };
    connectLispHooks(state, window, automation);
    if (!bus.registerVirtualObject("/", &automation, QDBusConnection::SubPath)) {
        std::fprintf(stderr, "cadhost: cannot register the objects\n");
        return 2;
    }
    const auto reply = bus.interface()->registerService(busName, QDBusConnectionInterface::DontQueueService,
                                                        QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        std::fprintf(stderr, "cadhost: %s is already served by another CAD host\n", qPrintable(busName));
        return 1;
    }
    if (!parser.positionalArguments().isEmpty()) window.openDrawing(parser.positionalArguments().first());
    window.show();
    return app.exec();
}
