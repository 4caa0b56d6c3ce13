#include "app/tab_strip.h"

#include <QResizeEvent>
#include <QTabBar>

TabStrip::TabStrip(Edge edge, QWidget* parent)
    : QWidget(parent), tabs_(new QTabBar(this)), edge_(edge) {
    tabs_->setShape(edge == Edge::Top ? QTabBar::RoundedNorth : QTabBar::RoundedSouth);
    tabs_->setExpanding(false);    // tabs keep their own width: a ragged row
    tabs_->setDrawBase(false);
    tabs_->setAttribute(Qt::WA_Hover);
    tabs_->setUsesScrollButtons(true);
    connect(tabs_, &QTabBar::currentChanged, this, &TabStrip::currentChanged);
}

void TabStrip::insertTab(int index, const QString& text) {
    tabs_->insertTab(index, text);
}

int TabStrip::count() const {
    return tabs_->count();
}

QString TabStrip::tabText(int index) const {
    return tabs_->tabText(index);
}

int TabStrip::currentIndex() const {
    return tabs_->currentIndex();
}

void TabStrip::setCurrentIndex(int index) {
    tabs_->setCurrentIndex(index);
}

void TabStrip::resizeEvent(QResizeEvent* event) {
    const int top = edge_ == Edge::Top ? 0 : event->size().height() - tabRowHeight;
    tabs_->setGeometry(0, top, event->size().width(), tabRowHeight);
}
