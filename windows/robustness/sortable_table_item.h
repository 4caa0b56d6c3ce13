#pragma once

#include <QTableWidgetItem>

#include <optional>

// A table cell that sorts as a reader expects: a cell showing a number
// ("0.012", "-1234.50", "12 %", "5e-05") by its value, right-aligned, and
// before the cells of its column that show none ("-"); names by their text.
class SortableTableItem : public QTableWidgetItem {
public:
    explicit SortableTableItem(const QString& text);
    bool operator<(const QTableWidgetItem& other) const override;

private:
    std::optional<double> number_;
};
