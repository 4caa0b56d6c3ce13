#include "windows/robustness/sortable_table_item.h"

namespace {

// The number a cell shows, or nothing for a name or a blank.
std::optional<double> numberShown(const QString& text) {
    QString number = text.trimmed();
    if (number.endsWith(QLatin1Char('%'))) number.chop(1);
    bool isNumber = false;
    const double value = number.trimmed().toDouble(&isNumber);
    return isNumber ? std::optional<double>(value) : std::nullopt;
}

}  // namespace

SortableTableItem::SortableTableItem(const QString& text) : QTableWidgetItem(text), number_(numberShown(text)) {
    if (number_) setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

bool SortableTableItem::operator<(const QTableWidgetItem& other) const {
    const auto* sortable = dynamic_cast<const SortableTableItem*>(&other);
    const std::optional<double> otherNumber = sortable != nullptr ? sortable->number_ : std::nullopt;
    if (number_ && otherNumber) return *number_ < *otherNumber;
    if (number_ || otherNumber) return number_.has_value();
    return QTableWidgetItem::operator<(other);
}
