#include "app/chart_view.h"

#include "app/varkel_app.h"
#include "app/vertical_line_overlay.h"
#include "workbench/chart_fx.h"
#include "workbench/chart_workspace.h"
#include "workbench/tab_strip.h"

#include <QApplication>
#include <QMouseEvent>

CVarkelModel2cView::CVarkelModel2cView(QWidget* parent)
    : QWidget(parent),
      productTab(new TabStrip(TabStrip::Edge::Top, this)),
      studyTab(new TabStrip(TabStrip::Edge::Bottom, this)),
      lineOverlay_(new VerticalLineOverlay(this)) {
    setObjectName(QStringLiteral("101"));
    productTab->setObjectName(QStringLiteral("1002"));
    studyTab->setObjectName(QStringLiteral("1001"));
    // Where the template puts them until the view is laid out (dialog units).
    productTab->setGeometry(0, 7, 467, 208);
    studyTab->setGeometry(0, 215, 467, 133);
    // Mouse moves over the charts reach the view's filter only when some
    // ancestor tracks the mouse.
    setMouseTracking(true);
    qApp->installEventFilter(this);
    connect(studyTab, &TabStrip::currentChanged, this, &CVarkelModel2cView::onStudyTabSelected);
}

CVarkelModel2cView::~CVarkelModel2cView() {
    CVarkelModel2cApp::instance()->removeWorkspace(this);
}

ChartWorkspace* CVarkelModel2cView::workspace() const {
    for (const auto& each : CVarkelModel2cApp::instance()->workspaces)
        if (each->view == this) return each.get();
    return nullptr;
}

void CVarkelModel2cView::onActivated() {
    activateWorkspace(this);
    if (ChartWorkspace* active = activeWorkspace())
        setWindowTitle(QString::fromStdString(active->productName));
}

void CVarkelModel2cView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!laidOut_) layOutFirst();
}

void CVarkelModel2cView::layOutFirst() {
    laidOut_ = true;
    const int w = width() - 20;
    const int h = height() - 20;
    const int top = (2 * h) / 3;
    productTab->setGeometry(0, 0, w, top);
    studyTab->setGeometry(0, top, w, h - top);
    CVarkelModel2cApp::instance()->addWorkspace(this, productTab, studyTab);
    // The view fills its frame from the start; the template's margin above
    // would otherwise stay until the first resize.
    layOut(width(), height());
}

void CVarkelModel2cView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (laidOut_) layOut(event->size().width(), event->size().height());
}

void CVarkelModel2cView::layOut(int width, int height) {
    const int top = (2 * height) / 3;
    productTab->setGeometry(0, 0, width, top);
    studyTab->setGeometry(0, top, width, height - top);
    const ChartWorkspace* own = workspace();
    if (own != nullptr && own->hasPriceChart) {
        if (own->priceChart != nullptr)
            own->priceChart->moveWindow(0, TabStrip::tabRowHeight, width, top - TabStrip::tabRowHeight);
        for (const auto& study : own->studyCharts) {
            if (study->chart != nullptr)
                study->chart->moveWindow(0, 0, width, height / 3 - TabStrip::tabRowHeight);
        }
    }
    lineOverlay_->setGeometry(0, 0, width, height);
    lineOverlay_->raise();
    lineOverlay_->clear();
}

void CVarkelModel2cView::onStudyTabSelected(int index) {
    ChartWorkspace* active = activeWorkspace();
    if (active == nullptr) return;
    for (const auto& study : active->studyCharts)
        if (study->chart != nullptr) study->chart->showWindow(false);
    if (index >= 0 && index < static_cast<int>(active->studyCharts.size())) {
        if (varkel::ChartControl* chart = active->studyCharts[static_cast<std::size_t>(index)]->chart)
            chart->showWindow(true);
    }
}

bool CVarkelModel2cView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseMove || !CVarkelModel2cApp::instance()->verticalLineMode ||
        !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget != this && !isAncestorOf(widget)) return false;
    // A move that no widget takes is passed on to each parent in turn; draw it once.
    const auto* move = static_cast<QMouseEvent*>(event);
    if (move->timestamp() == lastMoveTimestamp_ && move->globalPosition() == lastMovePosition_) return false;
    lastMoveTimestamp_ = move->timestamp();
    lastMovePosition_ = move->globalPosition();
    // The line follows the mouse over a chart's plot area only, and spans it.
    CChartFX* chart = nullptr;
    for (QWidget* each = widget; each != nullptr && each != this && chart == nullptr; each = each->parentWidget())
        chart = qobject_cast<CChartFX*>(each);
    const QPoint inView = widget->mapTo(this, move->position().toPoint());
    const QRect area = chart != nullptr ? QRect(chart->mapTo(this, chart->plotArea().topLeft()), chart->plotArea().size())
                                        : QRect();
    if (area.contains(inView))
        lineOverlay_->showLine(inView.x(), area.top(), area.bottom());
    else
        lineOverlay_->clear();
    return false;
}

void CVarkelModel2cView::clearVerticalLines() {
    lineOverlay_->clear();
}

int CVarkelModel2cView::verticalLineCount() const {
    return lineOverlay_->lineCount();
}
