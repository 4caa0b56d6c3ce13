#include "windows/data/append_data_dlg.h"

#include "workbench/seams.h"

#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

using namespace varkel;

namespace {

struct EntryControl {
    int id;
    const char* label;
    bool price;
};

constexpr std::array<EntryControl, 5> entryControls{{
    {1047, "Date to be added", false},
    // Hundredths or a price with at most two decimals: both are taken.
    {1048, "Open Price (e.g. 12031 or 120.31)", true},
    {1049, "High Price (e.g. 12110 or 121.10)", true},
    {1050, "Low Price (e.g. 12009 or 120.09)", true},
    {1051, "Close Price (e.g. 12100 or 121.00)", true},
}};

// An entry holds at most 255 characters, as the line it is copied into.
constexpr int maxEntryLength = 255;

// The entry a refusal points at, as an index into the five entries.
int entryIndex(AppendField field) {
    switch (field) {
        case AppendField::Date: return 0;
        case AppendField::Open: return 1;
        case AppendField::High: return 2;
        case AppendField::Low: return 3;
        case AppendField::Close: return 4;
        case AppendField::None: break;
    }
    return -1;
}

}  // namespace

CAppendDataDlg::CAppendDataDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("150"));
    setWindowTitle(QStringLiteral("Append Price Data"));

    // The date takes digits; a price may carry a decimal point (158.3), which
    // the check converts to hundredths or refuses with its reason.
    auto* digitsOnly = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,8}")), this);
    auto* priceText = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*\\.?[0-9]*")), this);
    auto* form = new QGridLayout;
    for (std::size_t i = 0; i < entryControls.size(); ++i) {
        const EntryControl& control = entryControls[i];
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::number(control.id));
        edit->setValidator(control.price ? priceText : digitsOnly);
        edit->setMaxLength(maxEntryLength);
        if (control.price) edit->setAlignment(Qt::AlignRight);
        auto* label = new QLabel(QString::fromLatin1(control.label), this);
        label->setBuddy(edit);
        const int row = static_cast<int>(i);
        form->addWidget(label, row, 0);
        form->addWidget(edit, row, 1);
        entries_[i] = edit;
    }
    form->setColumnMinimumWidth(1, 110);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("CANCEL"), this);
    cancel->setObjectName(QStringLiteral("2"));
    connect(ok, &QPushButton::clicked, this, &CAppendDataDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CAppendDataDlg::reject);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(form);
    layout->addSpacing(12);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

AppendRequest CAppendDataDlg::typedRequest() const {
    const auto text = [this](int index) { return entries_[static_cast<std::size_t>(index)]->text().toStdString(); };
    return {text(0), text(1), text(2), text(3), text(4)};
}

void CAppendDataDlg::refuse(const std::string& message, AppendField field) {
    if (!message.empty()) showMessage(QString::fromStdString(message));
    const int index = entryIndex(field);
    if (index < 0) return;
    QLineEdit* entry = entries_[static_cast<std::size_t>(index)];
    entry->setFocus();
    entry->selectAll();
}

bool CAppendDataDlg::confirmFarClose(const std::string& path, const PriceLineValues& values) {
    const std::optional<double> lastClose = lastFileClose(path);
    if (!lastClose || !closeJumpsFar(*lastClose, values.close)) return true;
    const double change = (values.close - *lastClose) / *lastClose * 100.0;
    // A typing slip is likelier than such a move: Enter keeps the file as it is.
    return askYesNo(QStringLiteral("The new close %1 is %2 % away from the file's last close %3.\n"
                                   "Append it all the same?")
                        .arg(QString::fromStdString(priceInYen(values.close)))
                        .arg(change, 0, 'f', 1)
                        .arg(QString::fromStdString(priceInYen(*lastClose))),
                    QString(), EnterAnswers::No);
}

void CAppendDataDlg::accept() {
    const AppendRequest request = typedRequest();
    // Entries that make no bar are refused before the user is asked for a file.
    const AppendCheck check = checkAppendRequest(request);
    if (!check) {
        refuse(check.message, check.field);
        return;
    }
    const QString path = askOpenFileName(this, QStringLiteral("Text Files (*.txt);;All Files (*)"), fileToOffer_,
                                         QStringLiteral("Append the bar to which price file?"));
    if (path.isEmpty()) {
        QDialog::reject();
        return;
    }
    const std::string target = QFile::encodeName(path).toStdString();
    if (!confirmFarClose(target, *check.values)) {
        refuse({}, AppendField::Close);
        return;
    }
    const AppendResult result = appendPriceLine(target, request);
    switch (result.status) {
        case AppendStatus::Refused:
            refuse(result.message, result.field);
            return;
        case AppendStatus::FileFailed:
            showMessage(QString::fromStdString(result.message));
            QDialog::reject();
            return;
        case AppendStatus::Appended:
            showMessage(QStringLiteral("Appended the line\n%1\nto %2")
                            .arg(QString::fromStdString(result.line), QDir::toNativeSeparators(path)));
            QDialog::accept();
            return;
    }
}
