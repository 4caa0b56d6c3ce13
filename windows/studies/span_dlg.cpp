#include "windows/studies/span_dlg.h"

#include "studies/study_catalogue.h"
#include "workbench/chart_workspace.h"
#include "workbench/seams.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <algorithm>

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
            refuse(edit, QStringLiteral("Please enter an integer."));
            return false;
        }
    }
    return true;
}

void CSpanDlg::refuse(QLineEdit* entry, const QString& message) {
    showMessage(message);
    entry->setFocus(Qt::OtherFocusReason);
    entry->selectAll();
}

bool CSpanDlg::spansFitHistory(const varkel::StudyInfo& study, const std::vector<QLineEdit*>& entries) const {
    const ChartWorkspace* workspace = chartedWorkspace();
    const varkel::Product* product =
        workspace != nullptr ? workspace->registry.findProduct(workspace->productName) : nullptr;
    if (product == nullptr || entries.empty()) return true;
    const int history = product->historyLength();
    // A normal distribution needs one bar more than its span; every other study its span.
    const int longest = study.historyNeed == varkel::HistoryNeed::moreThanSpan ? history - 1 : history;
    QLineEdit* longestEntry = *std::max_element(entries.begin(), entries.end(), [](const QLineEdit* a, const QLineEdit* b) {
        return spanOf(a) < spanOf(b);
    });
    if (spanOf(longestEntry) <= longest) return true;
    refuse(longestEntry,
           QStringLiteral("The history has %1 bars: supply %2 or a smaller value for each span").arg(history).arg(longest));
    return false;
}

void CSpanDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Typing replaces the first value at once, as a trader expects.
    if (QLineEdit* first = form_->rowCount() > 0
                               ? qobject_cast<QLineEdit*>(form_->itemAt(0, QFormLayout::FieldRole)->widget())
                               : nullptr) {
        first->setFocus(Qt::TabFocusReason);
        first->selectAll();
    }
}
