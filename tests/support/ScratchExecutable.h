#pragma once
// A scratch folder that stands for the executable's folder: every program and
// engine file of the build is linked into it and the application's paths point
// there, so working files land in the scratch folder. Needs MIRTEX_BIN_DIR.
#include "app/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QString>

inline void useScratchExecutableFolder(const QString& dir)
{
    for (const QString& f : QDir(QStringLiteral(MIRTEX_BIN_DIR)).entryList(QDir::Files))
        QFile::link(QStringLiteral(MIRTEX_BIN_DIR "/") + f, dir + QLatin1Char('/') + f);
    AppPaths::setExecutableForTesting(dir);
}
