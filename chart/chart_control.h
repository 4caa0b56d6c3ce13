#pragma once

#include <cstdint>
#include <string_view>

namespace varkel {

// The value that leaves a point of a series undrawn.
inline constexpr double hiddenValue = 1.0e308;

// Colours are 24-bit values with red in the lowest byte and blue in the highest.
inline constexpr std::uint32_t colourRed = 255;
inline constexpr std::uint32_t colourGreen = 65280;
inline constexpr std::uint32_t colourBlue = 16711680;
inline constexpr std::uint32_t colourWhite = 16777215;

// Kinds passed to openData / closeData.
inline constexpr int dataValues = 1;
inline constexpr int dataStyles = 3;

// Members of a series style.
inline constexpr int styleTypeCode = 16;
inline constexpr int styleColour = 13;
inline constexpr int styleMarkers = 8;  // 0: a plain line without point markers

// Series type codes: four consecutive series of code 16 form one set of bars
// (low, open, close, high); code 1 is a line.
inline constexpr int seriesLine = 1;
inline constexpr int seriesBarPart = 16;

// Chart settings.
inline constexpr int settingGallery = 1;          // type of series given no type code: 17 bars, 1 lines
inline constexpr int galleryBars = 17;
inline constexpr int galleryLines = 1;
inline constexpr int settingHorizontalGrid = 7;   // 0 hides the horizontal grid lines
inline constexpr int settingVerticalGrid = 8;     // 0 hides the vertical grid lines
inline constexpr int settingRedraw = 12;          // 1 then 2 once a chart is complete
inline constexpr int settingBackground = 22;      // a colour
inline constexpr int settingAxesBox = 27;         // 0: axes on the left and bottom only

// The chart component as the system sees it: it is fed values, labels and
// settings and reports only how many series it holds. It must accept any series
// and point index set after openData, and values of earlier fills stay until
// they are overwritten. It is also an ordinary child window.
class ChartControl {
public:
    virtual ~ChartControl() = default;

    // Begins a fill of values (dataValues) or series styles (dataStyles); the
    // counts are hints. Returns the number of series.
    virtual int openData(int kind, int firstCount, int secondCount) = 0;
    virtual void closeData(int kind) = 0;

    virtual void setValue(int series, int point, double value) = 0;
    virtual void setPointLabel(int point, std::string_view text) = 0;
    virtual void setTitle(int index, std::string_view text) = 0;
    virtual void setPlotRange(double xMin, double yMin, double xMax, double yMax) = 0;
    virtual int seriesCount() const = 0;
    // Sets one member (styleTypeCode, styleColour, styleMarkers) of series i.
    virtual void seriesStyle(int series, int member, std::uint32_t value) = 0;
    virtual void setSetting(int setting, std::uint32_t value) = 0;

    // Window operations: place within the parent, show or hide.
    virtual void moveWindow(int x, int y, int width, int height) = 0;
    virtual void showWindow(bool visible) = 0;
};

}  // namespace varkel
