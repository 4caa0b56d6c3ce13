#include "workbench/window_size.h"

#include "workbench/settings_store.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

QString settingsKey(const QString& key) {
    return QStringLiteral("Window Sizes/") + key;
}

// Writes the window's size to the store after every resize.
class SizeKeeper : public QObject {
public:
    SizeKeeper(QWidget* window, QString key) : QObject(window), key_(std::move(key)) { window->installEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize) settingsStore().setValue(key_, static_cast<QWidget*>(watched)->size());
        return false;
    }

private:
    const QString key_;
};

}  // namespace

void rememberWindowSize(QWidget* window, const QString& key, QSize fallback) {
    const QString fullKey = settingsKey(key);
    QSize size = settingsStore().value(fullKey, fallback).toSize();
    if (!size.isValid()) size = fallback;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size());
    window->resize(size);
    new SizeKeeper(window, fullKey);
}
