#pragma once

#include <QPixmap>

// The program's picture, shown by the splash window and the About dialog.
QPixmap programPicture();

// Shows the splash window (dialog 160) and waits the start-up time.
void showSplash();
