#include "app/view_printing.h"

#include "app/main_frame.h"
#include "app/varkel_app.h"
#include "workbench/seams.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>

#include <algorithm>

namespace {

void renderView(QWidget& view, QPrinter& printer) {
    const QPixmap picture = view.grab();
    QPainter painter(&printer);
    const QRect page = painter.viewport();
    const QSize size = picture.size().scaled(page.size(), Qt::KeepAspectRatio);
    painter.setViewport(page.x(), page.y(), size.width(), size.height());
    painter.setWindow(picture.rect());
    painter.drawPixmap(0, 0, picture);
}

}  // namespace

void printView(QWidget& view) {
    QPrinter& printer = CVarkelModel2cApp::instance()->mainFrame()->printer();
    QPrintDialog dialog(&printer, view.window());
    if (runDialog(dialog) == QDialog::Accepted) renderView(view, printer);
}

void previewViewPrint(QWidget& view) {
    QPrinter& printer = CVarkelModel2cApp::instance()->mainFrame()->printer();
    QPrintPreviewDialog preview(&printer, view.window());
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested,
                     [&view](QPrinter* target) { renderView(view, *target); });
    // Opens at most of the main window's size with the page fitted to its
    // width, so that the charts can be read without zooming first.
    const QSize room = view.window()->size();
    preview.resize(std::max(800, room.width() * 9 / 10), std::max(600, room.height() * 9 / 10));
    if (auto* pages = preview.findChild<QPrintPreviewWidget*>()) pages->fitToWidth();
    runDialog(preview);
}
