#include "ui_test_support.h"

#include "app/open_flow.h"
#include "app/start_directory.h"
#include "app/start_options.h"
#include "workbench/chart_workspace.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <vector>

// Where the workstation keeps its files and what its command line asks.
class StartDirectoryTest : public QObject {
    Q_OBJECT
private slots:
    void defaultIsMadeBelowXdgDataHome();
    void fileOpenFirstShowsTheSamplesThenTheLastFolder();
    void commandLine();
    void helpAndVersionAreAnsweredFirst();
};

void StartDirectoryTest::defaultIsMadeBelowXdgDataHome() {
    const QTemporaryDir home;
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath("data")));
    const QString directory = defaultStartDirectory();
    qputenv("XDG_DATA_HOME", saved);
    QCOMPARE(directory, home.filePath("data/varkel-model"));
    QVERIFY(QFileInfo(directory).isDir());
}

// Run from the build tree (no share/varkel-model beside the program), the
// samples are the source tree's.
void StartDirectoryTest::fileOpenFirstShowsTheSamplesThenTheLastFolder() {
    QCOMPARE(sampleFolder(), QFileInfo(QStringLiteral(VARKEL_SAMPLES_DIR)).absoluteFilePath());
    Workstation station;
    QCOMPARE(openDialogFolder(), sampleFolder());
    const QString mine = station.writeFile("mine.txt", risingPrices(50));
    QVERIFY(openPriceFile(*activeWorkspace(), QStringLiteral("USD/JPY"), mine));
    QCOMPARE(openDialogFolder(), station.directory.path());
}

void StartDirectoryTest::commandLine() {
    const QTemporaryDir start;
    struct Case {
        QStringList arguments;
        bool parses;
        QString startDirectory;
        QString openProduct;
        QString openPath;
    };
    const std::vector<Case> cases{
        {{"--dir", start.path()}, true, start.path(), {}, {}},
        {{"--dir", start.filePath("missing")}, false, {}, {}, {}},
        {{"--dir"}, false, {}, {}, {}},
        {{"prices.txt"}, true, {}, {}, "prices.txt"},
        {{"--open", "USD/JPY", "prices.txt", "--no-splash"}, true, {}, "USD/JPY", "prices.txt"},
        {{"one.txt", "two.txt"}, false, {}, {}, {}},
        {{"--unknown"}, false, {}, {}, {}},
    };
    for (const Case& c : cases) {
        StartOptions options;
        QString error;
        const bool parsed = parseStartOptions(c.arguments, options, error);
        const QString line = c.arguments.join(' ');
        QVERIFY2(parsed == c.parses, qPrintable(line + ": " + error));
        if (!parsed) {
            QVERIFY2(!error.isEmpty(), qPrintable(line));
            continue;
        }
        QCOMPARE(options.startDirectory, c.startDirectory);
        QCOMPARE(options.openProduct, c.openProduct);
        QCOMPARE(options.openPath, c.openPath);
    }
}

void StartDirectoryTest::helpAndVersionAreAnsweredFirst() {
    const auto ask = [](std::vector<const char*> arguments) {
        arguments.insert(arguments.begin(), "varkel");
        const char* text = informationRequested(int(arguments.size()), arguments.data());
        return text == nullptr ? QString() : QString::fromUtf8(text);
    };
    QCOMPARE(ask({"--version"}), QStringLiteral("varkel (Varkel Model) " VARKEL_VERSION "\n"));
    QVERIFY(ask({"--no-splash", "--help"}).startsWith("Usage: varkel [OPTION]..."));
    // every option the command line takes is in the help
    for (const char* option : {"--open", "--dir", "--server", "--no-splash", "--screenshot", "--version"})
        QVERIFY2(ask({"--help"}).contains(QLatin1String(option)), option);
    QCOMPARE(ask({"--no-splash"}), QString());
}

QTEST_MAIN(StartDirectoryTest)
#include "start_directory_test.moc"
