#pragma once

#include <QWidget>

#include <vector>

// A see-through layer over a chart view that holds the vertical lines drawn
// while the vertical line mode is on: one blue line per mouse move, kept until
// the view is laid out again.
class VerticalLineOverlay : public QWidget {
    Q_OBJECT
public:
    explicit VerticalLineOverlay(QWidget* parent);

    void addLine(int x, int top, int bottom);
    void clear();
    int lineCount() const { return static_cast<int>(lines_.size()); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Line {
        int x, top, bottom;
    };
    std::vector<Line> lines_;
};
