#include "workbench/seams.h"

#include "workbench/app_title.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>

Seams& seams() {
    static Seams hooks;
    return hooks;
}

void showMessage(const QString& text) {
    if (seams().message) return seams().message(text);
    QMessageBox::information(QApplication::activeWindow(), appTitle, text, QMessageBox::Ok);
}

QString askOpenFileName(QWidget* owner, const QString& filter) {
    if (seams().openFileName) return seams().openFileName(owner, filter);
    return QFileDialog::getOpenFileName(owner, QString(), QString(), filter);
}

QString askSaveFileName(QWidget* owner, const QString& suggested, const QString& filter) {
    if (seams().saveFileName) return seams().saveFileName(owner, suggested, filter);
    return QFileDialog::getSaveFileName(owner, QString(), suggested, filter);
}

int runDialog(QDialog& dialog) {
    if (seams().runDialog) return seams().runDialog(dialog);
    return dialog.exec();
}

void waitForSplash(int milliseconds) {
    if (seams().splashWait) return seams().splashWait(milliseconds);
    // The picture keeps repainting while start-up waits; nothing else is shown yet.
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}
