#pragma once

#include <QWidget>

class QTabBar;

// A tab strip in the manner of a tab control: a row of tabs along one edge and
// a page area whose charts are placed by their owners (the price chart below a
// top row of tabs, study charts above a bottom row).
class TabStrip : public QWidget {
    Q_OBJECT
public:
    enum class Edge { Top, Bottom };
    static constexpr int tabRowHeight = 25;

    TabStrip(Edge edge, QWidget* parent);

    void insertTab(int index, const QString& text);
    int count() const;
    QString tabText(int index) const;
    int currentIndex() const;
    void setCurrentIndex(int index);

signals:
    void currentChanged(int index);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QTabBar* const tabs_;
    const Edge edge_;
};
