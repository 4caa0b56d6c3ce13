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

namespace {

// A box with the caption "Varkel Model" and `details` behind its button.
int execMessageBox(QMessageBox::Icon icon, const QString& text, const QString& details,
                   QMessageBox::StandardButtons buttons,
                   QMessageBox::StandardButton defaultButton = QMessageBox::NoButton) {
    QMessageBox box(icon, appTitle, text, buttons, QApplication::activeWindow());
    box.setDetailedText(details);
    if (defaultButton != QMessageBox::NoButton) box.setDefaultButton(defaultButton);
    return box.exec();
}

}  // namespace

void showMessage(const QString& text, const QString& details) {
    if (seams().detailedMessage) return seams().detailedMessage(text, details);
    if (seams().message) return seams().message(text);
    execMessageBox(QMessageBox::Information, text, details, QMessageBox::Ok);
}

bool askYesNo(const QString& text, const QString& details, EnterAnswers enterAnswers) {
    if (seams().question) return seams().question(text, details);
    if (seams().message) {
        seams().message(text);
        return false;
    }
    return execMessageBox(QMessageBox::Question, text, details, QMessageBox::Yes | QMessageBox::No,
                          enterAnswers == EnterAnswers::Yes ? QMessageBox::Yes : QMessageBox::No) == QMessageBox::Yes;
}

QString askOpenFileName(QWidget* owner, const QString& filter, const QString& folder, const QString& caption) {
    if (seams().openFileQuestion) return seams().openFileQuestion(caption, folder, filter);
    if (seams().openFileName) return seams().openFileName(owner, filter);
    return QFileDialog::getOpenFileName(owner, caption, folder, filter);
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
