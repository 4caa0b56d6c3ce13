#include "data/ui/product_name_dlg.h"

#include "app/chart_workspace.h"
#include "app/seams.h"
#include "data/ui/open_flow.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int maxProductNameLength = 64;

}  // namespace

CProductNameDlg::CProductNameDlg(QWidget* parent, const QString& pricePath)
    : QDialog(parent), productCombo_(new QComboBox(this)), pricePath_(pricePath) {
    setObjectName(QStringLiteral("133"));
    setWindowTitle(QStringLiteral("Product Name"));

    productCombo_->setObjectName(QStringLiteral("1003"));
    productCombo_->setEditable(true);
    productCombo_->setInsertPolicy(QComboBox::NoInsert);
    productCombo_->addItems({QStringLiteral("USD/JPY"), QStringLiteral("EUR/JPY"), QStringLiteral("AUD/JPY"),
                             QStringLiteral("GBP/JPY")});
    productCombo_->model()->sort(0);
    productCombo_->setCurrentIndex(-1);
    productCombo_->lineEdit()->setMaxLength(maxProductNameLength);
    productCombo_->setMinimumWidth(180);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("CANCEL"), this);
    cancel->setObjectName(QStringLiteral("2"));
    connect(ok, &QPushButton::clicked, this, &CProductNameDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CProductNameDlg::reject);

    auto* entries = new QVBoxLayout;
    entries->addWidget(new QLabel(QStringLiteral("Trade Product List"), this));
    entries->addWidget(productCombo_);
    entries->addStretch();
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(entries);
    layout->addLayout(buttons);
}

void CProductNameDlg::accept() {
    ChartWorkspace* workspace = activeWorkspace();
    if (workspace == nullptr) {
        QDialog::accept();
        return;
    }
    const QString product = productCombo_->currentText();
    if (product.isEmpty()) {
        showMessage(QStringLiteral("No Trade Product Selected."));
        return;
    }
    QDialog::accept();
    if (pricePath_.isEmpty())
        askAndOpenPriceFile(*workspace, product, parentWidget());
    else
        openPriceFile(*workspace, product, pricePath_);
}
