#include "app/start_options.h"

#include <QFileInfo>

#include <cstring>

namespace {

const char* const versionText = "varkel (Varkel Model) " VARKEL_VERSION "\n";

// Written for people and for help2man, which makes the manual page from it.
const char* const helpText =
    "Usage: varkel [OPTION]... [PRICE_FILE]\n"
    "The Varkel Model workstation: daily FX price charts with technical studies, the\n"
    "strategy builder, the performance viewer and the next trading day's trade signal.\n"
    "\n"
    "Options:\n"
    "  --open PRODUCT PRICE_FILE  open a price file at start as PRODUCT (USD/JPY,\n"
    "                             EUR/JPY, AUD/JPY or GBP/JPY)\n"
    "  --dir DIR                  the start directory: trade models, strategy files\n"
    "                             and downloads go there (default:\n"
    "                             $XDG_DATA_HOME/varkel-model, created on first start)\n"
    "  --server URL               the data server for this run, ahead of\n"
    "                             $VARKEL_DATA_SERVER and the stored address\n"
    "  --no-splash                skip the start-up picture\n"
    "  --screenshot FILE.png      save the main window as a PNG picture and end\n"
    "  PRICE_FILE                 open a price file at start, asking for its product\n"
    "                             (what the file manager's Open does)\n"
    "  --help                     print this help and end\n"
    "  --version                  print the version and end\n"
    "\n"
    "Qt's own options (-platform NAME, -style NAME, ...) are taken too.\n";

}  // namespace

const char* informationRequested(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) return helpText;
        if (std::strcmp(argv[i], "--version") == 0) return versionText;
    }
    return nullptr;
}

bool parseStartOptions(const QStringList& arguments, StartOptions& options, QString& error) {
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const qsizetype valuesLeft = arguments.size() - i - 1;
        if (argument == QLatin1String("--no-splash")) {
            options.splash = false;
        } else if (argument == QLatin1String("--open")) {
            if (valuesLeft < 2) {
                error = QStringLiteral("--open needs a product name and a price file");
                return false;
            }
            options.openProduct = arguments[++i];
            options.openPath = arguments[++i];
        } else if (argument == QLatin1String("--server")) {
            if (valuesLeft < 1) {
                error = QStringLiteral("--server needs the data server's address");
                return false;
            }
            options.dataServer = arguments[++i];
        } else if (argument == QLatin1String("--screenshot")) {
            if (valuesLeft < 1) {
                error = QStringLiteral("--screenshot needs a file name");
                return false;
            }
            options.screenshotPath = arguments[++i];
        } else if (argument == QLatin1String("--dir")) {
            if (valuesLeft < 1 || !QFileInfo(arguments[i + 1]).isDir()) {
                error = QStringLiteral("--dir needs an existing directory");
                return false;
            }
            options.startDirectory = QFileInfo(arguments[++i]).absoluteFilePath();
        } else if (!argument.startsWith(QLatin1Char('-')) && options.openPath.isEmpty()) {
            options.openPath = argument;
        } else {
            error = QStringLiteral("unknown argument: ") + argument;
            return false;
        }
    }
    return true;
}
