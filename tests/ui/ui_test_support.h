#pragma once

#include "app/main_frame.h"
#include "app/start_options.h"
#include "app/varkel_app.h"
#include "workbench/seams.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

// A workstation started without the splash picture, whose settings live in a
// temporary directory and whose message boxes and dialogs are answered by the
// test: messages are collected (with their details, empty for a plain
// message), a question goes to `answerQuestion`, a dialog to `answerDialog`.
struct Workstation {
    QTemporaryDir directory;
    QStringList messages;
    QStringList details;    // beside each message, what its "Show Details..." button holds
    QStringList questions;  // every Yes/No question asked, answered by `answerQuestion`
    std::function<bool(const QString&)> answerQuestion = [](const QString&) { return true; };
    std::function<int(QDialog&)> answerDialog = [](QDialog&) { return int(QDialog::Rejected); };
    std::function<QString()> chooseFile = [] { return QString(); };
    int fileDialogs = 0;
    // The working directory the test chose is the start directory.
    CVarkelModel2cApp app{QDir::currentPath().toStdString()};

    Workstation() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, directory.path());
        seams().message = [this](const QString& text) {
            messages << text;
            details << QString();
        };
        seams().detailedMessage = [this](const QString& text, const QString& more) {
            messages << text;
            details << more;
        };
        seams().question = [this](const QString& text, const QString&) {
            questions << text;
            return answerQuestion(text);
        };
        seams().runDialog = [this](QDialog& dialog) { return answerDialog(dialog); };
        seams().openFileName = [this](QWidget*, const QString&) {
            ++fileDialogs;
            return chooseFile();
        };
        StartOptions options;
        options.splash = false;
        app.initInstance(options);
        QVERIFY(QTest::qWaitForWindowExposed(frame()));
    }
    ~Workstation() { seams() = Seams(); }

    CMainFrame* frame() const { return app.mainFrame(); }

    QString writeFile(const QString& name, const QByteArray& content) const {
        const QString path = directory.filePath(name);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly)) file.write(content);
        return path;
    }
};

// A file's bytes, or "<missing>".
inline QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// A price file of `bars` lines whose close rises by exactly 1.00 a day, so
// that every study has a value known in closed form: bar i is dated 2000<i>
// (20000000 + i), its low is 100.00 + i, open low + 0.20, high low + 0.50 and
// close low + 0.30.
inline QByteArray risingPrices(int bars) {
    QByteArray text;
    for (int i = 0; i < bars; ++i) {
        const int low = 10000 + 100 * i;
        text += QByteArray::number(20000000 + i) + "," + QByteArray::number(low + 20) + "," +
                QByteArray::number(low + 50) + "," + QByteArray::number(low) + "," + QByteArray::number(low + 30) +
                "\n";
    }
    return text;
}
