#pragma once

#include "chart/chart_control.h"

#include <QWidget>

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

class QCPTextElement;
class QCustomPlot;

// Our chart control: the chart operations drawn with QCustomPlot. Four
// consecutive series of type code 16 are drawn as OHLC bars (low, open, close,
// high), other series as lines; hidden values leave gaps; point labels are the
// dates under the x axis. Only the points from x min up to (not including)
// x max of the plot range are drawn: values beyond it are kept but stay out of
// sight, even when the user zooms out. The wheel zooms the x range, dragging
// pans, and the status bar shows the date and values of the point under the
// mouse.
class CChartFX : public QWidget, public varkel::ChartControl {
    Q_OBJECT
public:
    explicit CChartFX(QWidget* parent);
    ~CChartFX() override;

    int openData(int kind, int firstCount, int secondCount) override;
    void closeData(int kind) override;
    void setValue(int series, int point, double value) override;
    void setPointLabel(int point, std::string_view text) override;
    void setTitle(int index, std::string_view text) override;
    void setPlotRange(double xMin, double yMin, double xMax, double yMax) override;
    int seriesCount() const override;
    void seriesStyle(int series, int member, std::uint32_t value) override;
    void setSetting(int setting, std::uint32_t value) override;
    void moveWindow(int x, int y, int width, int height) override;
    void showWindow(bool visible) override;

    // The name the status read-out gives a line series ("MA 20"); none by default.
    void setSeriesName(int series, const QString& name);

    // Forgets every value, label and series style: the chart shows nothing
    // until it is filled again.
    void clearData();

    // What the chart holds. A value never set reads as the hidden value; the
    // plot range is the one last set.
    double value(int series, int point) const;
    QString pointLabel(int point) const;
    int pointCount() const;
    QString title() const;
    struct PlotRange {
        double xMin = -1.0e300, yMin = 0.0, xMax = 1.0e300, yMax = 1.0;
    };
    PlotRange plotRange() const;
    // Where the values are drawn (inside the axes), in this widget's coordinates.
    QRect plotArea() const;
    // The date and values of a point as the status bar shows them; on a chart
    // of price bars every value is a price, shown with two decimals.
    QString describePoint(int point) const;
    // Draws at once, as a repaint does.
    void redrawNow();

    // The shown x range (point indexes) of each chart follows the other's
    // when the user zooms or pans either, so that the charts of a view keep
    // their dates one above the other.
    static void linkXRanges(CChartFX* first, CChartFX* second);
    // Shows the points from `lower` to `upper`, fitting the value axis, and
    // tells no linked chart.
    void followXRange(double lower, double upper);
    // The x range on screen, as the axis shows it.
    std::pair<double, double> shownXRange() const;

signals:
    // The user zoomed or panned to this x range.
    void xRangeChangedByUser(double lower, double upper);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    struct Series {
        std::vector<double> values;
        int typeCode = 0;  // 0: the gallery setting decides
        std::uint32_t colour;
        bool markers = true;
        QString name;
    };
    // Plotted groups: four bar series from `first`, or the one line series `first`.
    struct Group {
        bool bars;
        int first;
    };

    Series& seriesAt(int series);
    int effectiveType(const Series& series) const;
    void rebuildPlottables();
    void fitValueAxisToVisiblePoints();
    void requestRedraw();
    bool isDrawn(int point) const;
    void onPlotMouseMove(const QPoint& position);
    void showStatusText(const QString& text);

    QCustomPlot* const plot_;
    QCPTextElement* title_ = nullptr;
    std::vector<Series> series_;
    std::vector<QString> labels_;
    std::vector<Group> groups_;
    int gallery_ = varkel::galleryLines;
    PlotRange range_;
    bool settingRange_ = false;
    bool following_ = false;
};
