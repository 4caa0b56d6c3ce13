#pragma once

#include "data/price_check.h"

#include <QDialog>

#include <array>
#include <vector>

class QLineEdit;
class QListWidget;

// "Correct Flagged Bars": the bars of a price file that the data check flagged
// as wrong prices, one per row. The selected bar's prices stand in four
// entries; "Correct" writes them in place of its line, "Delete" removes the
// line. Each change is written at once (the file replaced whole), the line
// removed or replaced is reported, and a view that shows the file reloads it.
// After each change the file is checked again, so that a bar flagged only
// once its neighbour is fixed shows up; the entries always hold the prices of
// the highlighted bar.
class CBarFixDlg : public QDialog {
    Q_OBJECT
public:
    CBarFixDlg(QString pricePath, QString productName, QWidget* parent = nullptr);

    bool hasFlaggedBars() const { return !flagged_.empty(); }

private:
    // The flagged bars of the file as it is now; the highlight stays at the
    // same place in the list (or on its last row).
    void recheck(int row);
    void showSelectedBar();
    void correctSelectedBar();
    void deleteSelectedBar();
    // Writes the edit of the selected bar; true when the file changed.
    bool applyEdit(bool remove);

    const QString pricePath_;
    const QString productName_;
    std::vector<varkel::DataFinding> flagged_;
    QListWidget* const list_;
    std::array<QLineEdit*, 4> prices_{};  // open, high, low, close
};

// The findings of `check` that mark a bar's prices as wrong, one per bar.
std::vector<varkel::DataFinding> flaggedBars(const varkel::PriceCheck& check);

// After the data-quality report of a price file: when bars are flagged as
// wrong prices, asks whether to correct them (Enter answers No) and runs the
// dialog on Yes.
void offerBarFixes(const varkel::PriceCheck& check, const QString& pricePath, const QString& productName);

// The Data Check menu's "Correct Flagged Bars...": the dialog for the file a
// view shows, at any time; a message when no bar of it is flagged.
void correctFlaggedBars(const QString& pricePath, const QString& productName);
