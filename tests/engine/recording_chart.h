#pragma once

#include "chart/chart_control.h"

#include <map>
#include <string>
#include <utility>

// A chart control that only remembers what it was told.
struct RecordingChart : varkel::ChartControl {
    std::map<std::pair<int, int>, double> values;  // (series, point)
    std::map<int, std::string> labels;
    std::map<int, std::uint32_t> settings;
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    int series = 0;

    int openData(int, int, int) override { return series; }
    void closeData(int) override {}
    void setValue(int s, int point, double value) override {
        values[{s, point}] = value;
        if (s + 1 > series) series = s + 1;
    }
    void setPointLabel(int point, std::string_view text) override { labels[point] = std::string(text); }
    void setTitle(int, std::string_view) override {}
    void setPlotRange(double x0, double y0, double x1, double y1) override {
        xMin = x0, yMin = y0, xMax = x1, yMax = y1;
    }
    int seriesCount() const override { return series; }
    void seriesStyle(int, int, std::uint32_t) override {}
    void setSetting(int setting, std::uint32_t value) override { settings[setting] = value; }
    void moveWindow(int, int, int, int) override {}
    void showWindow(bool) override {}

    int pointCount() const {
        int count = 0;
        for (const auto& [key, value] : values) count = std::max(count, key.second + 1);
        return count;
    }
    double value(int s, int point) const { return values.at({s, point}); }
};
