#pragma once

#include <QWidget>

#include <optional>

// A see-through layer over a chart view that holds the vertical line of the
// vertical line mode: one blue line at the mouse, over the plot area of the
// chart under it; it moves with the mouse and goes when the mouse leaves the
// plot area or the view is laid out again.
class VerticalLineOverlay : public QWidget {
    Q_OBJECT
public:
    explicit VerticalLineOverlay(QWidget* parent);

    // Shows the line at x from top to bottom, in place of the one before.
    void showLine(int x, int top, int bottom);
    void clear();
    int lineCount() const { return line_ ? 1 : 0; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Line {
        int x, top, bottom;
        QRect area() const { return QRect(x, top, 1, bottom - top + 1); }
    };
    std::optional<Line> line_;
};
