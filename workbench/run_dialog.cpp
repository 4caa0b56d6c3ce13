#include "workbench/run_dialog.h"

RunDialog::RunDialog(QWidget* parent) : QDialog(parent) {
    connect(&task_, &BackgroundTask::progressed, this,
            [this](int stage, qint64 done, qint64 total) { showProgress(stage, done, total); });
}

void RunDialog::reject() {
    task_.finishNow();
    QDialog::reject();
}
