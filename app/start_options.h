#pragma once

#include <QString>
#include <QStringList>

// What the command line asks of a start.
struct StartOptions {
    bool splash = true;       // --no-splash skips the picture
    QString openProduct;      // --open PRODUCT PATH: open a price file at start
    QString openPath;         // alone (a file named without --open): its product is asked for
    QString dataServer;       // --server URL: the data server for this run
    QString screenshotPath;   // --screenshot FILE: save the main window as PNG and end
    QString startDirectory;   // --dir DIR: the start directory instead of the default one
};

// Parses the arguments that follow the program name. On a usage error returns
// false with the reason in `error`.
bool parseStartOptions(const QStringList& arguments, StartOptions& options, QString& error);

// --help and --version are answered before anything else, even without a
// display: the text to print on stdout, or null when neither is asked for.
const char* informationRequested(int argc, const char* const* argv);

inline constexpr const char* startUsage =
    "usage: varkel [--no-splash] [--open PRODUCT PRICE_FILE | PRICE_FILE] [--dir DIR] [--server URL]\n"
    "              [--screenshot FILE.png]\n"
    "       varkel --help | --version\n";
