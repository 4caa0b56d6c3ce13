#include "app/vertical_line_overlay.h"

#include <QPainter>

VerticalLineOverlay::VerticalLineOverlay(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

void VerticalLineOverlay::showLine(int x, int top, int bottom) {
    if (line_) update(line_->area());
    line_ = Line{x, top, bottom};
    update(line_->area());
}

void VerticalLineOverlay::clear() {
    if (!line_) return;
    update(line_->area());
    line_.reset();
}

void VerticalLineOverlay::paintEvent(QPaintEvent*) {
    if (!line_) return;
    QPainter painter(this);
    painter.setPen(QPen(Qt::blue, 1, Qt::SolidLine));
    painter.drawLine(line_->x, line_->top, line_->x, line_->bottom);
}
