#include "windows/data/download_dlg.h"

#include "windows/data/data_server_setting.h"
#include "windows/data/product_choice.h"
#include "windows/data/data_server_setting.h"
#include "windows/data/product_choice.h"
#include "workbench/seams.h"

#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace varkel;

namespace {

// The product text is kept to 63 characters, as the name buffer it fills.
constexpr int maxProductTextLength = 63;

}  // namespace

CDownloadDlg::CDownloadDlg(std::filesystem::path startDirectory, const QString& commandLineServer,
                           QWidget* parent)
    : QDialog(parent),
      startDirectory_(std::move(startDirectory)),
      resolvedAddress_(resolvedDataServer(commandLineServer)),
      productCombo_(new QComboBox(this)),
      serverEdit_(new QLineEdit(resolvedAddress_, this)),
      statusLabel_(new QLabel(this)),
      okButton_(new QPushButton(QStringLiteral("OK"), this)),
      cancelButton_(new QPushButton(QStringLiteral("CANCEL"), this)) {
    setObjectName(QStringLiteral("151"));
    setWindowTitle(QStringLiteral("Download Hist File from Internet"));

    productCombo_->setObjectName(QStringLiteral("1049"));
    makeProductChoice(productCombo_, maxProductTextLength);

    serverEdit_->setObjectName(QStringLiteral("dataServer"));
    serverEdit_->setPlaceholderText(QStringLiteral("http://host:port"));
    serverEdit_->setMinimumWidth(240);
    statusLabel_->setObjectName(QStringLiteral("downloadStatus"));
    statusLabel_->setWordWrap(true);

    okButton_->setObjectName(QStringLiteral("1"));
    okButton_->setDefault(true);
    cancelButton_->setObjectName(QStringLiteral("2"));
    connect(okButton_, &QPushButton::clicked, this, &CDownloadDlg::accept);
    connect(cancelButton_, &QPushButton::clicked, this, &CDownloadDlg::reject);

    auto* entries = new QVBoxLayout;
    auto* productLabel = new QLabel(QStringLiteral("Target Download Product"), this);
    productLabel->setBuddy(productCombo_);
    entries->addWidget(productLabel);
    entries->addWidget(productCombo_);
    entries->addSpacing(8);
    auto* serverLabel = new QLabel(QStringLiteral("Data server"), this);
    serverLabel->setBuddy(serverEdit_);
    entries->addWidget(serverLabel);
    entries->addWidget(serverEdit_);
    entries->addWidget(statusLabel_);
    entries->addStretch();
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(entries);
    layout->addSpacing(12);
    layout->addLayout(buttons);
}

// Only reached with a transfer running when the program goes down under the
// dialog; the task, the last member, then drops its result.
CDownloadDlg::~CDownloadDlg() = default;

void CDownloadDlg::accept() { startDownload(false); }

void CDownloadDlg::startDownload(bool replaceLongerHistory) {
    if (downloading()) return;
    DownloadOptions options;
    options.replaceLongerHistory = replaceLongerHistory;
    const std::string product = productCombo_->currentText().toStdString();
    const QString address = serverEdit_->text().trimmed();
    statusLabel_->clear();
    setBusy(true);
    task_.start(
        [product, server = address.toStdString(), directory = startDirectory_, options,
         cancel = task_.control().cancelFlag()] { return downloadPriceHistory(product, server, directory, cancel, options); },
        [this, address](const PriceHistoryDownload& result) { finishDownload(result, address); });
}

void CDownloadDlg::reject() {
    // The transfer stops at its next progress check; the dialog closes when
    // the worker reports its end.
    if (downloading()) {
        task_.cancel();
        cancelButton_->setEnabled(false);
        statusLabel_->setText(QStringLiteral("Cancelling..."));
        return;
    }
    QDialog::reject();
}

QString CDownloadDlg::productName() const {
    return productCombo_->currentText();
}

void CDownloadDlg::setBusy(bool busy) {
    okButton_->setEnabled(!busy);
    cancelButton_->setEnabled(true);
    productCombo_->setEnabled(!busy);
    serverEdit_->setEnabled(!busy);
    if (busy) {
        statusLabel_->setText(QStringLiteral("Downloading..."));
        setCursor(Qt::BusyCursor);
    } else {
        unsetCursor();
    }
}

void CDownloadDlg::finishDownload(const PriceHistoryDownload& result, const QString& address) {
    setBusy(false);
    if (result.cancelled) {
        QDialog::reject();
        return;
    }
    // The technical reason of a failure (an HTTP status, a refused connection)
    // stays beside the entries while the message box gives the plain text.
    statusLabel_->setText(QString::fromStdString(result.detail));
    // The server may hold less than the file (a hand-appended bar, a broken
    // export): only the trader can say that the shorter history is right.
    if (result.wouldLoseHistory) {
        if (askYesNo(QString::fromStdString(result.message) +
                         QStringLiteral("\n\nReplace the file with the server's history all the same?"),
                     QString(), EnterAnswers::No))
            startDownload(true);
        return;
    }
    if (!result.succeeded) {
        showMessage(QString::fromStdString(result.message));
        QWidget* toCorrect =
            result.message == unresolvedUrlMessage ? static_cast<QWidget*>(serverEdit_) : productCombo_;
        toCorrect->setFocus();
        return;
    }
    // An address the user typed is kept once it has served a download.
    if (address != resolvedAddress_) storeDataServer(address);
    downloadedPath_ = QString::fromStdString(result.targetPath);
    if (!result.message.empty())
        openRequested_ = askYesNo(QString::fromStdString(result.message) + QStringLiteral("\n\nSaved to %1\nOpen it in a new view?")
                                                                         .arg(QDir::toNativeSeparators(downloadedPath_)));
    QDialog::accept();
}
