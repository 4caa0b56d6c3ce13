#include "windows/data/bar_fix_dlg.h"

#include "data/bar_edit.h"
#include "data/price_check_texts.h"
#include "workbench/seams.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

using namespace varkel;

namespace {

constexpr std::array<const char*, 4> priceNames{"Open", "High", "Low", "Close"};

QString yen(double price) {
    return QString::number(price, 'f', 2);
}

}  // namespace

std::vector<DataFinding> flaggedBars(const PriceCheck& check) {
    std::vector<DataFinding> bars;
    std::set<int> lines;
    for (const DataFinding& finding : check.findings)
        if (flagsBarPrices(finding.kind) && lines.insert(finding.lineNumber).second) bars.push_back(finding);
    return bars;
}

void offerBarFixes(const PriceCheck& check, const QString& pricePath, const QString& productName) {
    const std::vector<DataFinding> flagged = flaggedBars(check);
    if (flagged.empty()) return;
    const QString count = flagged.size() == 1 ? QStringLiteral("1 bar") : QStringLiteral("%1 bars").arg(flagged.size());
    if (!askYesNo(QStringLiteral("%1 of %2 flagged as wrong prices.\nCorrect or delete them now?")
                      .arg(count, QFileInfo(pricePath).fileName()),
                  QString(), EnterAnswers::No))
        return;
    CBarFixDlg dialog(pricePath, productName);
    runDialog(dialog);
}

void correctFlaggedBars(const QString& pricePath, const QString& productName) {
    CBarFixDlg dialog(pricePath, productName);
    if (!dialog.hasFlaggedBars()) {
        showMessage(QStringLiteral("No bar of %1 is flagged as wrong prices.").arg(QFileInfo(pricePath).fileName()));
        return;
    }
    runDialog(dialog);
}

CBarFixDlg::CBarFixDlg(QString pricePath, QString productName, QWidget* parent)
    : QDialog(parent),
      pricePath_(std::move(pricePath)),
      productName_(std::move(productName)),
      list_(new QListWidget(this)) {
    setObjectName(QStringLiteral("barFix"));
    setWindowTitle(QStringLiteral("Correct Flagged Bars"));
    list_->setObjectName(QStringLiteral("flaggedBars"));
    list_->setMinimumWidth(560);

    auto* entries = new QFormLayout;
    for (std::size_t i = 0; i < prices_.size(); ++i) {
        prices_[i] = new QLineEdit(this);
        prices_[i]->setObjectName(QStringLiteral("fix") + priceNames[i]);
        prices_[i]->setAlignment(Qt::AlignRight);
        entries->addRow(QString::fromLatin1(priceNames[i]), prices_[i]);
    }
    auto* correct = new QPushButton(QStringLiteral("Correct"), this);
    correct->setObjectName(QStringLiteral("correct"));
    auto* remove = new QPushButton(QStringLiteral("Delete"), this);
    remove->setObjectName(QStringLiteral("delete"));
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("2"));
    for (QPushButton* button : {correct, remove, close}) button->setAutoDefault(false);
    connect(correct, &QPushButton::clicked, this, &CBarFixDlg::correctSelectedBar);
    connect(remove, &QPushButton::clicked, this, &CBarFixDlg::deleteSelectedBar);
    connect(close, &QPushButton::clicked, this, &CBarFixDlg::reject);
    connect(list_, &QListWidget::currentRowChanged, this, &CBarFixDlg::showSelectedBar);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(correct);
    buttons->addWidget(remove);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QDir::toNativeSeparators(pricePath_), this));
    layout->addWidget(list_, 1);
    layout->addWidget(new QLabel(QStringLiteral("Prices of the selected bar (yen, two decimals)"), this));
    layout->addLayout(entries);
    layout->addLayout(buttons);
    recheck(0);
}

void CBarFixDlg::recheck(int row) {
    flagged_ = flaggedBars(checkPriceFile(QFile::encodeName(pricePath_).toStdString(), productName_.toStdString()));
    {
        // The list changes under its highlight: the entries follow once, below.
        const QSignalBlocker quiet(list_);
        list_->clear();
        for (const DataFinding& finding : flagged_) list_->addItem(QString::fromStdString(describeFinding(finding)));
        list_->setCurrentRow(std::min(row, list_->count() - 1));
    }
    showSelectedBar();
}

void CBarFixDlg::showSelectedBar() {
    const int row = list_->currentRow();
    if (row < 0) {
        for (QLineEdit* entry : prices_) entry->clear();
        return;
    }
    const DataFinding& bar = flagged_[static_cast<std::size_t>(row)];
    const double values[] = {bar.open, bar.high, bar.low, bar.close};
    for (std::size_t i = 0; i < prices_.size(); ++i) prices_[i]->setText(yen(values[i]));
}

void CBarFixDlg::correctSelectedBar() {
    applyEdit(false);
}

void CBarFixDlg::deleteSelectedBar() {
    applyEdit(true);
}

bool CBarFixDlg::applyEdit(bool remove) {
    const int row = list_->currentRow();
    if (row < 0) return false;
    const DataFinding& bar = flagged_[static_cast<std::size_t>(row)];
    BarEdit edit{bar.dateText, std::nullopt};
    if (!remove) {
        const auto text = [this](std::size_t i) { return prices_[i]->text().trimmed().toStdString(); };
        edit.prices = AppendRequest{"", text(0), text(1), text(2), text(3)};
    }
    const BarEditResult result = editPriceBar(QFile::encodeName(pricePath_).toStdString(), edit);
    if (result.status != BarEditStatus::Edited) {
        showMessage(QString::fromStdString(result.message));
        return false;
    }
    QString report = QStringLiteral("Line %1 of %2\nremoved: %3")
                         .arg(result.lineNumber)
                         .arg(QDir::toNativeSeparators(pricePath_), QString::fromStdString(result.removedLine));
    if (!result.newLine.empty()) report += QStringLiteral("\nwritten: ") + QString::fromStdString(result.newLine);
    showMessage(report);
    recheck(row);
    return true;
}
