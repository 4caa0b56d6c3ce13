#include "app/start_directory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdio>

QString defaultStartDirectory() {
    const QString directory =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/varkel-model");
    // A directory that cannot be made is reported here; each save then says
    // for itself that it failed.
    if (!QDir().mkpath(directory))
        std::fprintf(stderr, "varkel: could not create the start directory %s\n", qPrintable(directory));
    return directory;
}

QString sampleFolder() {
    // bin/ and share/ are siblings in any prefix (/usr, /usr/local, a scratch root).
    const QString installed =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../share/varkel-model/samples");
    for (const QString& candidate : {installed, QStringLiteral(VARKEL_SOURCE_SAMPLES_DIR)})
        if (QFileInfo(candidate).isDir()) return QDir::cleanPath(candidate);
    return QString();
}
