#pragma once

class QDialog;
class QHBoxLayout;
class QProgressBar;
class QPushButton;

// The foot of a window that runs a long job and saves what it found: a
// progress bar, Cancel, Run (the default button), Save CSV... and Close, under
// the object names the window tests find them by ("runProgress", "cancelRun",
// "run", "saveCsv"). Cancel and Save start disabled; Close rejects the dialog.
// The window connects Run, Cancel and Save to its own work.
class RunControls {
public:
    explicit RunControls(QDialog* dialog);

    // The row as the window places it at its foot.
    QHBoxLayout* makeRow() const;

    QProgressBar* const progress;
    QPushButton* const run;
    QPushButton* const cancel;
    QPushButton* const save;

private:
    QPushButton* const close_;
};
