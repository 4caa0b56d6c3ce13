#pragma once

#include <QObject>
#include <QStringList>

// The recent-file list of the settings store: the last price files opened,
// newest first, at most `capacity` of them.
class RecentFileList : public QObject {
    Q_OBJECT
public:
    static constexpr int capacity = 4;

    void load();
    // Puts `path` at the top and stores the list.
    void add(const QString& path);
    const QStringList& files() const { return files_; }

signals:
    void changed();

private:
    QStringList files_;
};
