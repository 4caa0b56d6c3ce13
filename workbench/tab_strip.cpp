#include "workbench/tab_strip.h"

#include <QPainter>
#include <QResizeEvent>
#include <QStyleOptionTabWidgetFrame>
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

// The page area is framed the way a tab control frames it.
void TabStrip::paintEvent(QPaintEvent*) {
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.rect = edge_ == Edge::Top ? rect().adjusted(0, tabRowHeight - 1, 0, 0)
                                    : rect().adjusted(0, 0, 0, -tabRowHeight + 1);
    frame.shape = tabs_->shape();
    frame.tabBarRect = tabs_->geometry();
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &painter, this);
}
