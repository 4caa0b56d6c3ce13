#include "app/recent_files.h"

#include "workbench/settings_store.h"

#include <QFileInfo>

namespace {

QString entryKey(int index) {
    return QStringLiteral("Recent File List/File%1").arg(index + 1);
}

}  // namespace

void RecentFileList::load() {
    QSettings settings = settingsStore();
    files_.clear();
    for (int i = 0; i < capacity; ++i) {
        const QString path = settings.value(entryKey(i)).toString();
        if (!path.isEmpty()) files_.append(path);
    }
    emit changed();
}

void RecentFileList::add(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    files_.removeAll(absolute);
    files_.prepend(absolute);
    while (files_.size() > capacity) files_.removeLast();
    QSettings settings = settingsStore();
    for (int i = 0; i < capacity; ++i) {
        if (i < files_.size())
            settings.setValue(entryKey(i), files_[i]);
        else
            settings.remove(entryKey(i));
    }
    emit changed();
}
