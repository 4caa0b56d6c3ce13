#pragma once

#include <QDialog>

#include <vector>

namespace varkel {
struct StudyInfo;
}
class ChartWorkspace;
class QFormLayout;
class QLineEdit;

// The frame every study parameter dialog shares: labelled entries, each with
// its control id as its objectName, and OK / CANCEL buttons. OK runs accept(),
// where a dialog does all its work on the workspace it was made for; CANCEL
// does nothing. Entries show their defaults on every new dialog; the first one
// has the focus with its text selected. Every refusal keeps the dialog open
// with the entry to correct selected.
class CSpanDlg : public QDialog {
    Q_OBJECT
protected:
    // `workspace`: the active view's, or null when no view is open.
    CSpanDlg(ChartWorkspace* workspace, QWidget* parent, int dialogId, const QString& title);

    // The workspace OK works on when it shows a product's chart, else null.
    ChartWorkspace* chartedWorkspace() const;

    // An entry for a whole number: digits only, at most `maxDigits` of them.
    QLineEdit* addSpanEdit(int id, const QString& label, int defaultValue, int maxDigits = 9);
    // An entry taking any text (the Keltner multiplier).
    QLineEdit* addTextEdit(int id, const QString& label, const QString& defaultText);

    // The number an entry holds; an empty entry reads as 0.
    static int spanOf(const QLineEdit* edit);
    // The check the toolkit makes of whole-number entries: every one must hold
    // a number. Says so and returns false when one is empty; the dialog then
    // stays open and nothing has been done.
    bool spanEntriesFilled() const;
    // Says `message` and selects `entry` for correction; the dialog stays open.
    static void refuse(QLineEdit* entry, const QString& message);
    // False, with a message and the longest span's entry selected, when a span
    // is longer than the product's history: the study would draw nothing (or
    // leave the bars as they were). True when no product is shown.
    bool spansFitHistory(const varkel::StudyInfo& study, const std::vector<QLineEdit*>& entries) const;

    void showEvent(QShowEvent* event) override;

private:
    ChartWorkspace* const workspace_;
    QFormLayout* const form_;
    std::vector<QLineEdit*> spanEdits_;
};
