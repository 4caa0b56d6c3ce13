#include "workbench/chart_fx.h"

#include "workbench/point_label_ticker.h"

#include <QCoreApplication>
#include <QStatusTipEvent>
#include <QResizeEvent>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace varkel;

namespace {

QColor colourOf(std::uint32_t value) {
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

bool isHiddenValue(double value) {
    return !(std::abs(value) < hiddenValue);
}

// Colours of series that are never given one.
constexpr std::uint32_t defaultColours[] = {colourRed, colourGreen, colourBlue, 0x008080, 0x800080,
                                            0x808000};

constexpr int valueAxisRoom = 64;

QString formatValue(double value, bool price) {
    return price ? QString::number(value, 'f', 2) : QString::number(value, 'g', 6);
}

}  // namespace

CChartFX::CChartFX(QWidget* parent) : QWidget(parent), plot_(new QCustomPlot(this)) {
    plot_->setNoAntialiasingOnDrag(true);
    // Every chart keeps the same room for its value axis, so that the dates of
    // the price chart and the study charts below it line up.
    plot_->axisRect()->setAutoMargins(QCP::msTop | QCP::msRight | QCP::msBottom);
    plot_->axisRect()->setMargins(QMargins(valueAxisRoom, 0, 0, 0));
    plot_->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    plot_->axisRect()->setRangeDrag(Qt::Horizontal);
    plot_->axisRect()->setRangeZoom(Qt::Horizontal);
    plot_->xAxis->setTicker(QSharedPointer<QCPAxisTicker>(new PointLabelTicker(labels_, [this](int point) { return isDrawn(point); })));
    plot_->xAxis->setTickLabelRotation(0);
    plot_->xAxis2->setTicks(false);
    plot_->yAxis2->setTicks(false);
    const QPen gridPen(QColor(220, 220, 220), 0, Qt::DotLine);
    plot_->xAxis->grid()->setPen(gridPen);
    plot_->yAxis->grid()->setPen(gridPen);
    setSetting(settingAxesBox, 1);
    plot_->setMouseTracking(true);
    connect(plot_, &QCustomPlot::mouseMove, this,
            [this](QMouseEvent* event) { onPlotMouseMove(event->pos()); });
    connect(plot_->xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this, [this](const QCPRange& range) {
        if (settingRange_) return;
        // Zoom and pan stop at the first and last bar: past them lies nothing to see.
        const QCPRange bars(range_.xMin - 0.5, range_.xMax - 0.5);
        if (bars.upper > bars.lower && (range.lower < bars.lower || range.upper > bars.upper)) {
            const double width = std::min(range.size(), bars.size());
            const double lower = std::clamp(range.lower, bars.lower, bars.upper - width);
            plot_->xAxis->setRange(lower, lower + width);  // reported again, inside the bars
            return;
        }
        fitValueAxisToVisiblePoints();
        if (!following_) emit xRangeChangedByUser(range.lower, range.upper);
    });
}

CChartFX::~CChartFX() = default;

int CChartFX::openData(int, int, int) {
    return seriesCount();
}

void CChartFX::closeData(int) {
    rebuildPlottables();
    requestRedraw();
}

CChartFX::Series& CChartFX::seriesAt(int series) {
    while (static_cast<int>(series_.size()) <= series) {
        Series added;
        added.colour = defaultColours[series_.size() % std::size(defaultColours)];
        series_.push_back(std::move(added));
    }
    return series_[static_cast<std::size_t>(series)];
}

void CChartFX::setSeriesName(int series, const QString& name) {
    if (series >= 0) seriesAt(series).name = name;
}

void CChartFX::clearData() {
    series_.clear();
    labels_.clear();
    rebuildPlottables();
    requestRedraw();
}

void CChartFX::setValue(int series, int point, double value) {
    if (series < 0 || point < 0) return;
    std::vector<double>& values = seriesAt(series).values;
    if (static_cast<int>(values.size()) <= point)
        values.resize(static_cast<std::size_t>(point) + 1, hiddenValue);
    values[static_cast<std::size_t>(point)] = value;
}

void CChartFX::setPointLabel(int point, std::string_view text) {
    if (point < 0) return;
    if (static_cast<int>(labels_.size()) <= point) labels_.resize(static_cast<std::size_t>(point) + 1);
    labels_[static_cast<std::size_t>(point)] = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void CChartFX::setTitle(int, std::string_view text) {
    const QString titleText = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (title_ == nullptr) {
        plot_->plotLayout()->insertRow(0);
        title_ = new QCPTextElement(plot_, titleText, QFont(font().family(), 9, QFont::Bold));
        plot_->plotLayout()->addElement(0, 0, title_);
    } else {
        title_->setText(titleText);
    }
    requestRedraw();
}

void CChartFX::setPlotRange(double xMin, double yMin, double xMax, double yMax) {
    range_ = {xMin, yMin, xMax, yMax};
    rebuildPlottables();
    // Half a point of room on either side, so that the first and last bars show whole.
    settingRange_ = true;
    plot_->xAxis->setRange(xMin - 0.5, xMax - 0.5);
    plot_->yAxis->setRange(yMin, yMax);
    settingRange_ = false;
    requestRedraw();
}

QRect CChartFX::plotArea() const {
    return plot_->axisRect()->rect().translated(plot_->pos());
}

bool CChartFX::isDrawn(int point) const {
    return point >= range_.xMin && point < range_.xMax;
}

int CChartFX::seriesCount() const {
    return static_cast<int>(series_.size());
}

void CChartFX::seriesStyle(int series, int member, std::uint32_t value) {
    if (series < 0) return;
    Series& styled = seriesAt(series);
    if (member == styleTypeCode) styled.typeCode = static_cast<int>(value);
    if (member == styleColour) styled.colour = value;
    if (member == styleMarkers) styled.markers = value != 0;
}

void CChartFX::setSetting(int setting, std::uint32_t value) {
    switch (setting) {
    case settingGallery:
        gallery_ = static_cast<int>(value);
        break;
    case settingHorizontalGrid:
        plot_->yAxis->grid()->setVisible(value != 0);
        break;
    case settingVerticalGrid:
        plot_->xAxis->grid()->setVisible(value != 0);
        break;
    case settingBackground:
        plot_->setBackground(colourOf(value));
        break;
    case settingAxesBox:
        plot_->xAxis2->setVisible(value != 0);
        plot_->yAxis2->setVisible(value != 0);
        break;
    default:  // settingRedraw and settings that change nothing here
        break;
    }
    requestRedraw();
}

void CChartFX::moveWindow(int x, int y, int width, int height) {
    setGeometry(x, y, width, height);
}

void CChartFX::showWindow(bool visible) {
    setVisible(visible);
}

double CChartFX::value(int series, int point) const {
    if (series < 0 || series >= seriesCount() || point < 0) return hiddenValue;
    const std::vector<double>& values = series_[static_cast<std::size_t>(series)].values;
    return point < static_cast<int>(values.size()) ? values[static_cast<std::size_t>(point)] : hiddenValue;
}

QString CChartFX::pointLabel(int point) const {
    return point >= 0 && point < static_cast<int>(labels_.size()) ? labels_[static_cast<std::size_t>(point)]
                                                                  : QString();
}

int CChartFX::pointCount() const {
    std::size_t count = labels_.size();
    for (const Series& series : series_) count = std::max(count, series.values.size());
    return static_cast<int>(count);
}

QString CChartFX::title() const {
    return title_ != nullptr ? title_->text() : QString();
}

CChartFX::PlotRange CChartFX::plotRange() const {
    return range_;
}

int CChartFX::effectiveType(const Series& series) const {
    if (series.typeCode != 0) return series.typeCode;
    return gallery_ == galleryBars ? seriesBarPart : seriesLine;
}

void CChartFX::rebuildPlottables() {
    plot_->clearPlottables();
    groups_.clear();
    const int count = pointCount();
    QVector<double> keys(count);
    for (int i = 0; i < count; ++i) keys[i] = i;

    const int seriesTotal = seriesCount();
    for (int first = 0; first < seriesTotal;) {
        const bool bars = first + 3 < seriesTotal &&
                          std::all_of(series_.begin() + first, series_.begin() + first + 4,
                                      [this](const Series& s) { return effectiveType(s) == seriesBarPart; });
        groups_.push_back({bars, first});
        if (bars) {
            // Series in the order low, open, close, high; a bar is drawn only when all four are.
            QVector<double> barKeys, open, high, low, close;
            for (int i = 0; i < count; ++i) {
                const double l = value(first, i), o = value(first + 1, i), c = value(first + 2, i),
                             h = value(first + 3, i);
                if (!isDrawn(i) || isHiddenValue(l) || isHiddenValue(o) || isHiddenValue(c) ||
                    isHiddenValue(h))
                    continue;
                barKeys.append(i), low.append(l), open.append(o), close.append(c), high.append(h);
            }
            auto* financial = new QCPFinancial(plot_->xAxis, plot_->yAxis);
            financial->setChartStyle(QCPFinancial::csOhlc);
            financial->setTwoColored(false);
            financial->setWidth(0.6);
            financial->setPen(QPen(colourOf(series_[static_cast<std::size_t>(first)].colour), 1));
            financial->setData(barKeys, open, high, low, close, true);
            first += 4;
        } else {
            const Series& line = series_[static_cast<std::size_t>(first)];
            QVector<double> values(count);
            for (int i = 0; i < count; ++i) {
                const double v = value(first, i);
                values[i] = !isDrawn(i) || isHiddenValue(v) ? std::numeric_limits<double>::quiet_NaN() : v;
            }
            QCPGraph* graph = plot_->addGraph(plot_->xAxis, plot_->yAxis);
            graph->setPen(QPen(colourOf(line.colour), 1.5));
            if (line.markers) graph->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, 3));
            graph->setData(keys, values, true);
            ++first;
        }
    }
}

void CChartFX::fitValueAxisToVisiblePoints() {
    const QCPRange x = plot_->xAxis->range();
    const int from = std::max(0, static_cast<int>(std::ceil(std::max(x.lower, range_.xMin))));
    const int to = std::min(pointCount() - 1, static_cast<int>(std::floor(std::min(x.upper, range_.xMax - 0.5))));
    double low = std::numeric_limits<double>::max();
    double high = std::numeric_limits<double>::lowest();
    for (int series = 0; series < seriesCount(); ++series) {
        for (int i = from; i <= to; ++i) {
            const double v = value(series, i);
            if (isHiddenValue(v)) continue;
            low = std::min(low, v);
            high = std::max(high, v);
        }
    }
    if (low > high) return;
    const double margin = std::max((high - low) * 0.05, 1e-6);
    plot_->yAxis->setRange(low - margin, high + margin);
}

QString CChartFX::describePoint(int point) const {
    QStringList parts;
    if (!pointLabel(point).isEmpty()) parts << pointLabel(point);
    const bool prices = std::any_of(groups_.begin(), groups_.end(), [](const Group& group) { return group.bars; });
    const auto format = [prices](double v) { return formatValue(v, prices); };
    for (const Group& group : groups_) {
        if (group.bars) {
            const double l = value(group.first, point), o = value(group.first + 1, point),
                         c = value(group.first + 2, point), h = value(group.first + 3, point);
            if (isHiddenValue(l) || isHiddenValue(o) || isHiddenValue(c) || isHiddenValue(h)) continue;
            parts << QStringLiteral("O %1  H %2  L %3  C %4").arg(format(o), format(h), format(l), format(c));
        } else if (!isHiddenValue(value(group.first, point))) {
            const QString& name = series_[static_cast<std::size_t>(group.first)].name;
            parts << (name.isEmpty() ? QString() : name + QLatin1Char(' ')) + format(value(group.first, point));
        }
    }
    return parts.join(QStringLiteral("    "));
}

// A chart without an area to draw on (hidden in a frame not yet shown) draws
// when it is given one.
void CChartFX::requestRedraw() {
    if (!plot_->size().isEmpty()) plot_->replot(QCustomPlot::rpQueuedReplot);
}

void CChartFX::linkXRanges(CChartFX* first, CChartFX* second) {
    if (first == nullptr || second == nullptr || first == second) return;
    connect(first, &CChartFX::xRangeChangedByUser, second, &CChartFX::followXRange, Qt::UniqueConnection);
    connect(second, &CChartFX::xRangeChangedByUser, first, &CChartFX::followXRange, Qt::UniqueConnection);
}

void CChartFX::followXRange(double lower, double upper) {
    following_ = true;
    plot_->xAxis->setRange(lower, upper);
    following_ = false;
    requestRedraw();
}

std::pair<double, double> CChartFX::shownXRange() const {
    return {plot_->xAxis->range().lower, plot_->xAxis->range().upper};
}

void CChartFX::redrawNow() {
    plot_->replot(QCustomPlot::rpImmediateRefresh);
}

void CChartFX::onPlotMouseMove(const QPoint& position) {
    const int point = static_cast<int>(std::lround(plot_->xAxis->pixelToCoord(position.x())));
    const bool inside = plot_->axisRect()->rect().contains(position) && point >= 0 && point < pointCount() &&
                        isDrawn(point);
    showStatusText(inside ? describePoint(point) : QString());
}

// The plot fills the control. It is sized before it is shown and hidden while
// the control has no area, so that it never draws into an empty one.
void CChartFX::resizeEvent(QResizeEvent* event) {
    const bool drawable = !event->size().isEmpty();
    if (!drawable) plot_->hide();
    plot_->setGeometry(QRect(QPoint(0, 0), event->size()));
    if (drawable) plot_->show();
}

void CChartFX::leaveEvent(QEvent* event) {
    showStatusText(QString());
    QWidget::leaveEvent(event);
}

void CChartFX::showStatusText(const QString& text) {
    // A status tip travels up to the main window, which shows it in its status bar.
    QStatusTipEvent tip(text);
    QCoreApplication::sendEvent(this, &tip);
}
