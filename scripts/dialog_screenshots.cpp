// Saves pictures of the Strategy Builder after a build and of the Trade Signal
// dialog with its three charts, for the README:
//   varkel-dialog-shots PRODUCT PRICE_FILE BASE SECOND OUTPUT_DIR
// BASE and SECOND are entries of the builder's lists ("MACD", "Rate Of Change").
// The model and strategy files go to a temporary start directory. Prints how
// long the build took in the window.
#include "app/main_frame.h"
#include "app/start_options.h"
#include "app/varkel_app.h"
#include "model/ui/strategy_builder_dlg.h"
#include "report/ui/trade_signal_dlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <clocale>
#include <cstdio>

namespace {

// Lets queued redraws happen before a picture is taken.
void settle(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

bool save(QWidget& window, const QString& path) {
    settle(500);
    const bool saved = window.grab().save(path, "PNG");
    std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    return saved;
}

void choose(QDialog& dialog, const char* listId, const QString& entry) {
    auto* list = dialog.findChild<QComboBox*>(QString::fromLatin1(listId));
    list->setCurrentIndex(list->findText(entry));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const QStringList arguments = application.arguments();
    if (arguments.size() != 6) {
        std::fputs("usage: varkel-dialog-shots PRODUCT PRICE_FILE BASE SECOND OUTPUT_DIR\n", stderr);
        return 2;
    }
    const QString priceFile = QFileInfo(arguments[2]).absoluteFilePath();
    const QDir output(QFileInfo(arguments[5]).absoluteFilePath());
    QTemporaryDir start;
    QDir::setCurrent(start.path());

    CVarkelModel2cApp app;
    StartOptions options;
    options.splash = false;
    options.openProduct = arguments[1];
    options.openPath = priceFile;
    app.initInstance(options);

    CStrategyBuilderDlg builder(app.mainFrame());
    choose(builder, "1021", arguments[3]);
    builder.findChild<QCheckBox*>("1014")->setChecked(true);
    choose(builder, "1022", arguments[4]);
    builder.resize(820, 640);
    builder.show();
    QEventLoop building;
    QObject::connect(&builder, &CStrategyBuilderDlg::buildFinished, &building, &QEventLoop::quit);
    builder.findChild<QPushButton*>("1")->click();
    if (builder.isBuilding()) building.exec();
    std::printf("build took %.1f s in the window\n", builder.lastBuildTime().count());
    bool saved = save(builder, output.filePath("screenshot-builder.png"));
    builder.hide();

    CTradeSignalDlg signal(app.mainFrame());
    signal.resize(900, 760);
    signal.show();
    signal.findChild<QPushButton*>("1")->click();
    saved = save(signal, output.filePath("screenshot-signal.png")) && saved;
    return saved ? 0 : 1;
}
