#pragma once

#include <QString>
#include <QStringList>

// What the command line asks of a start.
struct StartOptions {
    bool splash = true;       // --no-splash skips the picture
    QString openProduct;      // --open PRODUCT PATH: open a price file at start
    QString openPath;
    QString dataServer;       // --server URL: the data server for this run
    QString screenshotPath;   // --screenshot FILE: save the main window as PNG and end
};

// Parses the arguments that follow the program name. On a usage error returns
// false with the reason in `error`.
bool parseStartOptions(const QStringList& arguments, StartOptions& options, QString& error);

inline constexpr const char* startUsage =
    "usage: varkel [--no-splash] [--open PRODUCT PRICE_FILE] [--server URL] [--screenshot FILE.png]\n";
