#include "app/command_icons.h"

#include "app/command_ids.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>

namespace {

constexpr int iconSize = 32;
const QColor ink(40, 40, 60);
const QColor priceRed(200, 30, 30);
const QColor lineGreen(20, 150, 40);
const QColor lineBlue(30, 70, 210);

QPen pen(const QColor& colour, double width = 1.6) {
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void caption(QPainter& p, const QString& text, const QRect& area, const QColor& colour = ink) {
    QFont font = p.font();
    font.setPixelSize(text.size() > 3 ? 8 : 9);
    font.setBold(true);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(area, Qt::AlignCenter, text);
}

// Small OHLC bars along the bottom of an icon.
void priceBars(QPainter& p) {
    p.setPen(pen(priceRed, 1.4));
    const int highs[] = {16, 13, 17, 11, 14};
    for (int i = 0; i < 5; ++i) {
        const int x = 5 + i * 5;
        const int top = highs[i];
        p.drawLine(x, top, x, top + 10);
        p.drawLine(x - 2, top + 3, x, top + 3);
        p.drawLine(x, top + 7, x + 2, top + 7);
    }
}

void curve(QPainter& p, const QColor& colour, double phase, double amplitude, double base,
           double width = 1.8) {
    QPainterPath path;
    for (int x = 2; x <= 30; ++x) {
        const double y = base + amplitude * std::sin((x + phase) / 5.0);
        if (x == 2)
            path.moveTo(x, y);
        else
            path.lineTo(x, y);
    }
    p.setPen(pen(colour, width));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

void arrowDown(QPainter& p, int x, int top, int bottom, const QColor& colour) {
    p.setPen(pen(colour, 2.4));
    p.drawLine(x, top, x, bottom);
    p.drawLine(x - 5, bottom - 5, x, bottom);
    p.drawLine(x + 5, bottom - 5, x, bottom);
}

void document(QPainter& p) {
    p.setPen(pen(ink, 1.2));
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygon({QPoint(6, 3), QPoint(20, 3), QPoint(26, 9), QPoint(26, 29), QPoint(6, 29)}));
    p.setPen(pen(QColor(150, 150, 170), 1));
    for (int y = 11; y <= 19; y += 4) p.drawLine(9, y, 22, y);
}

void drawDownload(QPainter& p) {
    p.setPen(pen(lineBlue, 1.4));
    p.setBrush(QColor(210, 225, 250));
    p.drawEllipse(QPointF(16, 13), 11, 11);
    p.setPen(pen(lineBlue, 1));
    p.drawLine(5, 13, 27, 13);
    p.drawEllipse(QPointF(16, 13), 5, 11);
    p.setBrush(Qt::NoBrush);
    arrowDown(p, 16, 14, 30, lineGreen);
}

void drawAppend(QPainter& p) {
    document(p);
    p.setPen(pen(lineGreen, 3));
    p.drawLine(23, 19, 23, 29);
    p.drawLine(18, 24, 28, 24);
}

void drawOpen(QPainter& p) {
    p.setPen(pen(QColor(150, 110, 20), 1.2));
    p.setBrush(QColor(245, 200, 80));
    p.drawPolygon(QPolygon({QPoint(3, 8), QPoint(12, 8), QPoint(14, 11), QPoint(27, 11), QPoint(27, 26),
                            QPoint(3, 26)}));
    p.setBrush(QColor(255, 225, 130));
    p.drawPolygon(QPolygon({QPoint(7, 15), QPoint(30, 15), QPoint(27, 26), QPoint(3, 26)}));
    p.setPen(pen(priceRed, 1.2));
    p.drawLine(12, 18, 12, 24);
    p.drawLine(17, 17, 17, 23);
    p.drawLine(22, 19, 22, 24);
}

void drawMovingAverage(QPainter& p) {
    priceBars(p);
    curve(p, lineGreen, 0, 3, 12);
    curve(p, lineBlue, 6, 2, 15);
    caption(p, QStringLiteral("MA"), QRect(0, 0, 32, 10));
}

void drawKeltner(QPainter& p) {
    p.setBrush(QColor(200, 215, 250));
    QPainterPath band;
    band.moveTo(2, 13 + 4 * std::sin(2 / 5.0));
    for (int x = 3; x <= 30; ++x) band.lineTo(x, 13 + 4 * std::sin(x / 5.0));
    for (int x = 30; x >= 2; --x) band.lineTo(x, 23 + 4 * std::sin(x / 5.0));
    band.closeSubpath();
    p.setPen(Qt::NoPen);
    p.drawPath(band);
    curve(p, lineBlue, 0, 4, 13, 1.4);
    curve(p, lineBlue, 0, 4, 23, 1.4);
    curve(p, ink, 0, 4, 18, 1);
    caption(p, QStringLiteral("KC"), QRect(0, 0, 32, 10));
}

void drawStochastics(QPainter& p) {
    curve(p, lineGreen, 0, 7, 19);
    curve(p, lineBlue, 3, 6, 19);
    caption(p, QStringLiteral("%K"), QRect(0, 0, 32, 10));
}

void drawMacd(QPainter& p) {
    const int heights[] = {-3, -5, -2, 2, 5, 7, 4, 1};
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 8; ++i) {
        const int h = heights[i];
        p.setBrush(h < 0 ? priceRed : lineGreen);
        p.drawRect(QRect(3 + i * 3 + i / 2, h < 0 ? 22 : 22 - h, 2, std::abs(h)));
    }
    curve(p, lineBlue, 0, 4, 18, 1.4);
    caption(p, QStringLiteral("MACD"), QRect(0, 0, 32, 10));
}

void drawRsi(QPainter& p) {
    p.setPen(QPen(QColor(160, 160, 160), 1, Qt::DashLine));
    p.drawLine(2, 14, 30, 14);
    p.drawLine(2, 27, 30, 27);
    curve(p, lineBlue, 0, 8, 20);
    caption(p, QStringLiteral("RSI"), QRect(0, 0, 32, 10));
}

void drawCorrelation(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    const QPoint dots[] = {{5, 27}, {9, 24}, {12, 25}, {15, 20}, {19, 19}, {22, 15}, {26, 14}, {28, 11}};
    for (const QPoint& dot : dots) p.drawEllipse(dot, 1, 1);
    p.setPen(pen(lineBlue, 1.2));
    p.drawArc(QRect(3, 10, 30, 30), 90 * 16, 90 * 16);
    caption(p, QStringLiteral("r"), QRect(0, 0, 14, 12));
}

void drawRegression(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    const QPoint dots[] = {{5, 24}, {9, 27}, {12, 21}, {16, 22}, {19, 16}, {23, 18}, {27, 12}};
    for (const QPoint& dot : dots) p.drawEllipse(dot, 1, 1);
    p.setPen(pen(lineBlue, 2));
    p.drawLine(3, 28, 30, 11);
    caption(p, QStringLiteral("LR"), QRect(0, 0, 32, 10));
}

void drawNormalDistribution(QPainter& p) {
    QPainterPath bell;
    for (int x = 2; x <= 30; ++x) {
        const double z = (x - 16) / 5.0;
        const double y = 29 - 17 * std::exp(-z * z / 2);
        if (x == 2)
            bell.moveTo(x, y);
        else
            bell.lineTo(x, y);
    }
    p.setPen(pen(lineBlue, 1.8));
    p.setBrush(QColor(200, 215, 250));
    p.drawPath(bell);
    p.setPen(pen(ink, 1));
    p.drawLine(2, 29, 30, 29);
    caption(p, QStringLiteral("σ²"), QRect(0, 0, 12, 12));
}

void drawRateOfChange(QPainter& p) {
    p.setPen(pen(lineGreen, 2.6));
    p.drawLine(6, 26, 24, 10);
    p.drawLine(24, 10, 16, 11);
    p.drawLine(24, 10, 23, 18);
    caption(p, QStringLiteral("%"), QRect(14, 18, 18, 14));
}

void drawStrategyBuilder(QPainter& p) {
    p.setPen(pen(ink, 1.2));
    p.setBrush(QColor(180, 180, 190));
    QPainterPath gear;
    for (int i = 0; i < 16; ++i) {
        const double angle = i * M_PI / 8;
        const double r = i % 2 == 0 ? 11 : 8.5;
        const QPointF point(16 + r * std::cos(angle), 16 + r * std::sin(angle));
        if (i == 0)
            gear.moveTo(point);
        else
            gear.lineTo(point);
    }
    gear.closeSubpath();
    p.drawPath(gear);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(16, 16), 5.5, 5.5);
    p.setPen(pen(lineGreen, 1.6));
    p.drawPolyline(QPolygon({QPoint(13, 18), QPoint(15, 15), QPoint(17, 17), QPoint(20, 13)}));
}

void drawTradeSignal(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(lineGreen);
    p.drawPolygon(QPolygon({QPoint(9, 3), QPoint(16, 13), QPoint(2, 13)}));
    p.drawRect(7, 13, 4, 6);
    p.setBrush(priceRed);
    p.drawPolygon(QPolygon({QPoint(23, 29), QPoint(30, 19), QPoint(16, 19)}));
    p.drawRect(21, 13, 4, 6);
}

void drawPerformance(QPainter& p) {
    p.setPen(pen(ink, 1));
    p.drawLine(3, 3, 3, 29);
    p.drawLine(3, 29, 30, 29);
    p.setPen(pen(lineGreen, 1.8));
    p.drawPolyline(QPolygon({QPoint(4, 25), QPoint(9, 22), QPoint(12, 24), QPoint(17, 16), QPoint(21, 18),
                             QPoint(25, 10), QPoint(29, 6)}));
    p.setPen(pen(lineBlue, 1));
    p.setBrush(QColor(230, 240, 255, 160));
    p.drawRect(6, 5, 11, 8);
    p.drawLine(8, 8, 15, 8);
    p.drawLine(8, 10, 13, 10);
}

void drawZoom(QPainter& p) {
    priceBars(p);
    p.setPen(pen(ink, 2));
    p.setBrush(QColor(255, 255, 255, 150));
    p.drawEllipse(QPointF(13, 13), 8, 8);
    p.setPen(pen(ink, 3.5));
    p.drawLine(19, 19, 28, 28);
}

using Drawing = void (*)(QPainter&);

struct IconDrawing {
    int id;
    Drawing draw;
};

constexpr IconDrawing iconDrawings[] = {
    {cmd::downloadButton, drawDownload},
    {cmd::appendButton, drawAppend},
    {cmd::fileOpen, drawOpen},
    {cmd::movingAverageButton, drawMovingAverage},
    {cmd::keltnerButton, drawKeltner},
    {cmd::stochasticsButton, drawStochastics},
    {cmd::macdButton, drawMacd},
    {cmd::rsiButton, drawRsi},
    {cmd::correlationButton, drawCorrelation},
    {cmd::regressionButton, drawRegression},
    {cmd::normalDistButton, drawNormalDistribution},
    {cmd::rateOfChangeButton, drawRateOfChange},
    {cmd::buildModelButton, drawStrategyBuilder},
    {cmd::tradeSignalButton, drawTradeSignal},
    {cmd::performanceButton, drawPerformance},
    {cmd::zoomButton, drawZoom},
};

}  // namespace

QIcon commandIcon(int id) {
    for (const IconDrawing& entry : iconDrawings) {
        if (entry.id != id) continue;
        QPixmap pixmap(iconSize, iconSize);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        entry.draw(painter);
        return QIcon(pixmap);
    }
    return {};
}
