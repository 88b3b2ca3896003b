#include "AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
QString& overrideExecutable() {
    static QString path;
    return path;
}

QString executablePath() {
    return overrideExecutable().isEmpty() ? QCoreApplication::applicationFilePath() : overrideExecutable();
}
}

namespace AppPaths {
QString exeFolder() {
    QString dir = QFileInfo(executablePath()).absolutePath();
    if (!dir.endsWith('/')) dir += '/';
    return dir;
}

QString exePathWith(const QString& ext) { return replaceExtension(executablePath(), ext); }

QString inExeFolder(const QString& name) { return exeFolder() + name; }

QString replaceExtension(const QString& path, const QString& ext) {
    const qsizetype nameStart = path.lastIndexOf(u'/') + 1;
    const qsizetype dot = path.lastIndexOf(u'.');
    return (dot > nameStart ? path.left(dot) : path) + ext;
}

void setExecutableForTesting(const QString& folder, const QString& name) {
    overrideExecutable() = QDir(folder).absoluteFilePath(name);
}
}
