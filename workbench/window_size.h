#pragma once

#include <QSize>
#include <QString>

class QWidget;

// Gives `window` the size it had when it last changed under `key` in the
// settings store (or `fallback` the first time), never larger than the screen
// it opens on, and stores its size under `key` whenever it changes.
void rememberWindowSize(QWidget* window, const QString& key, QSize fallback);
