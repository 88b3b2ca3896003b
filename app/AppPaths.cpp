#include "AppPaths.h"

#include <QCoreApplication>
#include <QDir>

namespace {
QString& overrideFolder() {
    static QString folder;
    return folder;
}
}

namespace AppPaths {
QString exeFolder() {
    QString dir = overrideFolder().isEmpty() ? QCoreApplication::applicationDirPath()
                                             : overrideFolder();
    if (!dir.endsWith('/')) dir += '/';
    return dir;
}

QString exePathWith(const QString& ext) { return exeFolder() + QStringLiteral("MIRTEX") + ext; }

QString inExeFolder(const QString& name) { return exeFolder() + name; }

void setExecutableForTesting(const QString& folder) { overrideFolder() = QDir(folder).absolutePath(); }
}
