#include "studies/ui/span_dlg.h"

#include "workbench/chart_workspace.h"
#include "workbench/seams.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

CSpanDlg::CSpanDlg(ChartWorkspace* workspace, QWidget* parent, int dialogId, const QString& title)
    : QDialog(parent), workspace_(workspace), form_(new QFormLayout) {
    setObjectName(QString::number(dialogId));
    setWindowTitle(title);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("CANCEL"), this);
    cancel->setObjectName(QStringLiteral("2"));
    connect(ok, &QPushButton::clicked, this, &CSpanDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CSpanDlg::reject);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(form_);
    layout->addSpacing(12);
    layout->addLayout(buttons);
}

ChartWorkspace* CSpanDlg::chartedWorkspace() const {
    return withPriceChart(workspace_);
}

QLineEdit* CSpanDlg::addSpanEdit(int id, const QString& label, int defaultValue, int maxDigits) {
    QLineEdit* edit = addTextEdit(id, label, QString::number(defaultValue));
    const QRegularExpression digits(QStringLiteral("[0-9]{0,%1}").arg(maxDigits));
    edit->setValidator(new QRegularExpressionValidator(digits, edit));
    spanEdits_.push_back(edit);
    return edit;
}

QLineEdit* CSpanDlg::addTextEdit(int id, const QString& label, const QString& defaultText) {
    auto* edit = new QLineEdit(defaultText, this);
    edit->setObjectName(QString::number(id));
    edit->setMaximumWidth(90);
    form_->addRow(new QLabel(label, this), edit);
    return edit;
}

int CSpanDlg::spanOf(const QLineEdit* edit) {
    return edit->text().toInt();
}

bool CSpanDlg::spanEntriesFilled() const {
    for (QLineEdit* edit : spanEdits_) {
        if (edit->text().isEmpty()) {
            showMessage(QStringLiteral("Please enter an integer."));
            edit->setFocus();
            return false;
        }
    }
    return true;
}
