#pragma once

#include <QString>

// The caption of the main window and of every message box.
inline const QString appTitle = QStringLiteral("Varkel Model");
