#include "workbench/run_controls.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>

RunControls::RunControls(QDialog* dialog)
    : progress(new QProgressBar(dialog)),
      run(new QPushButton(QStringLiteral("Run"), dialog)),
      cancel(new QPushButton(QStringLiteral("Cancel"), dialog)),
      save(new QPushButton(QStringLiteral("Save CSV..."), dialog)),
      close_(new QPushButton(QStringLiteral("Close"), dialog)) {
    progress->setObjectName(QStringLiteral("runProgress"));
    run->setObjectName(QStringLiteral("run"));
    cancel->setObjectName(QStringLiteral("cancelRun"));
    save->setObjectName(QStringLiteral("saveCsv"));
    progress->setRange(0, 1);
    progress->setValue(0);
    progress->setFormat(QString());
    cancel->setEnabled(false);
    save->setEnabled(false);
    run->setDefault(true);
    // reject() is virtual: the window's own reject (which stops its job) runs.
    QObject::connect(close_, &QPushButton::clicked, dialog, &QDialog::reject);
}

QHBoxLayout* RunControls::makeRow() const {
    auto* row = new QHBoxLayout;
    row->addWidget(progress, 1);
    row->addWidget(cancel);
    row->addSpacing(16);
    row->addWidget(run);
    row->addWidget(save);
    row->addWidget(close_);
    return row;
}
