#include "app/command_icons.h"
#include "app/command_ids.h"
#include "app/main_frame.h"
#include "app/start_options.h"
#include "app/varkel_app.h"

#include <QApplication>
#include <QTimer>

#include <clocale>
#include <cstdio>

namespace {

// Lets the charts finish their queued redraws, saves the main window as a PNG
// and ends the program.
void saveScreenshotAndQuit(CMainFrame& frame, const QString& path) {
    QTimer::singleShot(400, &frame, [&frame, path] {
        const bool saved = frame.grab().save(path, "PNG");
        if (!saved) std::fprintf(stderr, "varkel: could not write %s\n", qPrintable(path));
        QCoreApplication::exit(saved ? 0 : 1);
    });
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // The engine formats and parses numbers the same whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setWindowIcon(commandIcon(cmd::movingAverageButton));

    StartOptions options;
    QString error;
    if (!parseStartOptions(application.arguments().mid(1), options, error)) {
        std::fprintf(stderr, "varkel: %s\n%s", qPrintable(error), startUsage);
        return 2;
    }
    CVarkelModel2cApp app;
    app.initInstance(options);
    if (!options.screenshotPath.isEmpty()) saveScreenshotAndQuit(*app.mainFrame(), options.screenshotPath);
    return application.exec();
}
