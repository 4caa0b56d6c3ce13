#include "windows/data/product_choice.h"

#include "data/download.h"

#include <QComboBox>
#include <QLineEdit>

void makeProductChoice(QComboBox* combo, int maxLength) {
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    for (const varkel::DownloadProduct& product : varkel::downloadProducts)
        combo->addItem(QString::fromLatin1(product.name.data(), qsizetype(product.name.size())));
    combo->model()->sort(0);
    combo->setCurrentIndex(-1);
    combo->lineEdit()->setMaxLength(maxLength);
}
