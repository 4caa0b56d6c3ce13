#pragma once

#include "app/main_frame.h"
#include "app/seams.h"
#include "app/start_options.h"
#include "app/varkel_app.h"

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
// test: messages are collected, a dialog is handed to `answerDialog`.
struct Workstation {
    QTemporaryDir directory;
    QStringList messages;
    std::function<int(QDialog&)> answerDialog = [](QDialog&) { return int(QDialog::Rejected); };
    std::function<QString()> chooseFile = [] { return QString(); };
    int fileDialogs = 0;
    CVarkelModel2cApp app;

    Workstation() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, directory.path());
        seams().message = [this](const QString& text) { messages << text; };
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
