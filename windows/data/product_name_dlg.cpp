#include "windows/data/product_name_dlg.h"

#include "windows/data/product_choice.h"
#include "workbench/seams.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int maxProductNameLength = 64;

}  // namespace

CProductNameDlg::CProductNameDlg(QWidget* parent) : QDialog(parent), productCombo_(new QComboBox(this)) {
    setObjectName(QStringLiteral("133"));
    setWindowTitle(QStringLiteral("Product Name"));

    productCombo_->setObjectName(QStringLiteral("1003"));
    makeProductChoice(productCombo_, maxProductNameLength);
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

QString CProductNameDlg::productName() const {
    return productCombo_->currentText();
}

void CProductNameDlg::accept() {
    if (productName().isEmpty()) {
        showMessage(QStringLiteral("No Trade Product Selected."));
        return;
    }
    QDialog::accept();
}
