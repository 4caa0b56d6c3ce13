#include "app/vertical_line_overlay.h"

#include <QPainter>

VerticalLineOverlay::VerticalLineOverlay(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

void VerticalLineOverlay::addLine(int x, int top, int bottom) {
    lines_.push_back({x, top, bottom});
    update(x, top, 1, bottom - top + 1);
}

void VerticalLineOverlay::clear() {
    if (lines_.empty()) return;
    lines_.clear();
    update();
}

void VerticalLineOverlay::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(QPen(Qt::blue, 1, Qt::SolidLine));
    for (const Line& line : lines_) painter.drawLine(line.x, line.top, line.x, line.bottom);
}
