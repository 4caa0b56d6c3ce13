#include "app/command_icons.h"
#include "app/command_ids.h"
#include "app/main_frame.h"
#include "app/start_directory.h"
#include "app/start_options.h"
#include "app/varkel_app.h"
#include "workbench/seams.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

#include <clocale>
#include <cstdio>
#include <cstring>

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

// A screenshot run waits for no one: what a message box would say (the
// data-quality report of the file opened at start, say) goes to stderr, and
// a question is answered No.
void printMessagesInsteadOfAsking() {
    seams().message = [](const QString& text) { std::fprintf(stderr, "varkel: %s\n", qPrintable(text)); };
}

// True when Qt has somewhere to show windows: a display, or a platform chosen
// by the caller (tests and screenshots use "offscreen").
bool hasDisplay(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0) return true;
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

}  // namespace

int main(int argc, char** argv) {
    if (const char* information = informationRequested(argc, argv)) {
        std::fputs(information, stdout);
        return 0;
    }
    if (!hasDisplay(argc, argv)) {
        std::fprintf(stderr, "varkel: no display to show the workstation on (DISPLAY is not set); "
                             "varkel-cli runs the same studies from the command line\n");
        return 1;
    }
    QApplication application(argc, argv);  // takes Qt's own options (-platform, -style, ...)
    // The engine formats and parses numbers the same whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");

    StartOptions options;
    QString error;
    if (!parseStartOptions(application.arguments().mid(1), options, error)) {
        std::fprintf(stderr, "varkel: %s\n%s", qPrintable(error), startUsage);
        return 2;
    }
    // The menu entry's icon once installed; run from the build tree, the
    // moving-average button's.
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("varkel-model"), commandIcon(cmd::movingAverageButton)));
    // Ties the windows to the installed menu entry (its name and icon).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.varkelmodel.varkelmodel"));
    if (!options.screenshotPath.isEmpty()) printMessagesInsteadOfAsking();
    CVarkelModel2cApp app(
        (options.startDirectory.isEmpty() ? defaultStartDirectory() : options.startDirectory).toStdString());
    app.initInstance(options);
    if (!options.screenshotPath.isEmpty()) saveScreenshotAndQuit(*app.mainFrame(), options.screenshotPath);
    return application.exec();
}
