#pragma once

#include <QSettings>

// The workstation's settings store: the recent-file list and the data server's
// address live under one key.
QSettings settingsStore();
