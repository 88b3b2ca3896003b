// clipboard_peer get | set: another program on the X clipboard, for the grid's
// clipboard round trip. "get" prints the clipboard's text (UTF-8, as held);
// "set" takes the text from stdin, owns the clipboard, prints "ready" and
// serves it until another program takes the clipboard (or 30 s have passed).
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QTimer>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) return 2;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (std::strcmp(argv[1], "get") == 0) {
        const QByteArray text = clipboard->text().toUtf8();
        std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
        return 0;
    }
    if (std::strcmp(argv[1], "set") != 0) return 2;
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly)) return 2;
    clipboard->setText(QString::fromUtf8(in.readAll()));
    std::puts("ready");
    std::fflush(stdout);
    QObject::connect(clipboard, &QClipboard::dataChanged, &app, [clipboard] {
        if (!clipboard->ownsClipboard()) QCoreApplication::quit();
    });
    QTimer::singleShot(30000, &app, &QCoreApplication::quit);
    return app.exec();
}
