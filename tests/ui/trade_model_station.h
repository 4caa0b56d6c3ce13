#pragma once

#include "ui_test_support.h"

#include "app/open_flow.h"
#include "workbench/chart_workspace.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// Makes its own temporary directory the working directory, so that a
// workstation made after it takes that directory as its start directory.
struct StartDirectory {
    QTemporaryDir start;
    StartDirectory() { QDir::setCurrent(start.path()); }
    QString startFile(const QString& name) const { return start.filePath(name); }
    void writeStartFile(const QString& name, const QByteArray& content) const {
        QFile file(startFile(name));
        if (file.open(QIODevice::WriteOnly)) file.write(content);
    }
    QByteArray readStartFile(const QString& name) const {
        QFile file(startFile(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

// A workstation whose model and strategy files go to a fresh start directory.
struct TradeModelStation : StartDirectory, Workstation {
    // Opens a price file into the active view, as File Open does. The
    // data-quality report that follows (the sample's gaps and spikes) is for
    // the Open tests; the tests here start after it.
    bool open(const QString& product, const QString& priceFile) {
        const bool opened = openPriceFile(*activeWorkspace(), product, priceFile);
        messages.clear();
        details.clear();
        questions.clear();
        return opened;
    }
    // The faulty USD/JPY test history: its flagged bars and figures are what many tests check.
    bool openSample() { return open(QStringLiteral("USD/JPY"), QStringLiteral(VARKEL_FAULTY_HISTORIES_DIR "/USD_JPY.txt")); }
    // The bundled USD/JPY sample a trader sees first: the README's pictures show it.
    bool openBundledSample() { return open(QStringLiteral("USD/JPY"), QStringLiteral(VARKEL_SAMPLES_DIR "/USD_JPY.txt")); }
    varkel::Product& product() { return *activeWorkspace()->registry.findProduct(activeWorkspace()->productName); }
};
