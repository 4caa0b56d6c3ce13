#pragma once

#include <QDialog>

class QComboBox;

// Dialog 133 "Product Name": the trade product to open. Its OK refuses an
// empty name and otherwise closes the dialog; the shell's Open flow then asks
// for the price file and shows the product's chart.
class CProductNameDlg : public QDialog {
    Q_OBJECT
public:
    explicit CProductNameDlg(QWidget* parent);

    QComboBox* productCombo() const { return productCombo_; }
    // The product named when OK closed the dialog.
    QString productName() const;

    void accept() override;

private:
    QComboBox* const productCombo_;  // control 1003
};
