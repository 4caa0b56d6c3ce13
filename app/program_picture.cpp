#include "app/program_picture.h"

#include "workbench/seams.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

namespace {

constexpr int splashMilliseconds = 3072;

}  // namespace

QPixmap programPicture() {
    return QPixmap(QStringLiteral(":/program.png"));
}

void showSplash() {
    QLabel splash(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint);
    splash.setObjectName(QStringLiteral("160"));
    splash.setFrameStyle(QFrame::Panel | QFrame::Sunken);
    splash.setLineWidth(2);
    splash.setPixmap(programPicture());
    splash.adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        splash.move(screen->availableGeometry().center() - splash.rect().center());
    splash.show();
    splash.repaint();
    waitForSplash(splashMilliseconds);
}
