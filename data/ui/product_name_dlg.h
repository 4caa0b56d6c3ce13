#pragma once

#include <QDialog>

class QComboBox;

// Dialog 133 "Product Name": the trade product to open. Its OK runs the Open
// flow: it closes, asks for the price file (unless one is given, as for a
// recent file) and shows the product's chart in the active workspace.
class CProductNameDlg : public QDialog {
    Q_OBJECT
public:
    explicit CProductNameDlg(QWidget* parent, const QString& pricePath = QString());

    QComboBox* productCombo() const { return productCombo_; }

    void accept() override;

private:
    QComboBox* const productCombo_;  // control 1003
    const QString pricePath_;
};
