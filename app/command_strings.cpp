#include "app/command_strings.h"

namespace {

// Text before the line break is the status-bar prompt, after it the tool tip.
struct CommandString {
    int id;
    const char* text;
};

constexpr CommandString commandStrings[] = {
    {57600, "Create a new Chart \nAdd"},
    {57601, "Open Historical Price Data File\nOpen"},
    {32776, "Building own trade model and optimizing the model"},
    {32777, "Making Daily Trade Signal"},
    {32779, "Add Relative Strength Index"},
    {32780, "Adding Time Series Correlation Index"},
    {32781, "Adding Rate Of Change"},
    {32782, "Adding Linear Regression (Sloop)"},
    {32783, "Adding Volatility (Norman Distribution)"},
    {32784, "Specifying number of ticks that you would like to see"},
    {32785, "Adding Moving Avr. Div/Conv"},
    {32786, "View Performance Summary"},
    {32787, "Calc Rate Of Change\nCalc Rate Of Change"},
    {32788, "Calc Relative Strength Indicator\nCalc RSI"},
    {32789, "Calc Moving Average Conversion Diversion\nCalc MACD"},
    {32790, "Calc Time Series Correlation\nCalc Time Series Correlation"},
    {32791, "Calc Linear Regression\nCalc Linear Regression"},
    {32792, "Calc Normal Distribution\nCalc Normal Distribution"},
    {32793, "Strategy Builder\nStrategy Builder"},
    {32794, "Trade Signal \nTrade Signal (Daily Operation)"},
    {32795, "Performance Summary\nPerformance Viewer"},
    {32796, "Zoom Chart\nZoom Charts"},
    {32797, "Append new data into historical Price Data"},
    {32798, "Append Data \nAppend"},
    {32799, "Download Historical Price Data from Internet"},
    {32801, "Download Hist Price file from Internet\nDownload"},
    {32802, "Add Stochastics (%D & Slow %D)"},
    {32804, "Calc Stochastics\nCalc Stochastics"},
    {32805, "Calc Moving Average\nCalc Moving Average"},
    {32806, "Change Moving Average"},
    {32807, "Show and move Vertical Line\nMove Vertinal Line"},
    {32808, "Change Keltner Channel"},
    {32809, "Calc Keltner Channels\nCalc Keltner Channels"},
    {32830, "Convert a broker export or an OHLC CSV into a price file"},
    {32810, "Show the returns of the last build's base index search over its parameters"},
    {32811, "Test the builder on bars it has not seen: build on past bars, trade the next ones"},
    {32831, "Correct or delete the bars the data check flags as wrong prices"},
    {32812, "Could the search have found the model in noise? Build on histories with their overnight moves and "
               "day shapes shuffled separately"},
    {32813, "Which of all the models holds up? Build every base and filter combination on the open histories and "
               "test them as one family"},
};

QString commandString(int id) {
    for (const CommandString& entry : commandStrings)
        if (entry.id == id) return QString::fromLatin1(entry.text);
    return {};
}

}  // namespace

QString commandPrompt(int id) {
    return commandString(id).section(QLatin1Char('\n'), 0, 0);
}

QString commandTip(int id) {
    return commandString(id).section(QLatin1Char('\n'), 1, 1);
}
