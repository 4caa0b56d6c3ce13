#include "app/start_options.h"

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
        } else {
            error = QStringLiteral("unknown argument: ") + argument;
            return false;
        }
    }
    return true;
}
