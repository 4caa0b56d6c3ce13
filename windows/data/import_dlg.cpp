#include "windows/data/import_dlg.h"

#include "data/download.h"
#include "windows/data/product_choice.h"
#include "workbench/message_lines.h"
#include "workbench/seams.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

using namespace varkel;
namespace fs = std::filesystem;

namespace {

constexpr int maxProductNameLength = 64;
constexpr int shownSkippedLines = 8;

fs::path fsPath(const QString& path) {
    return fs::path(QFile::encodeName(path).toStdString());
}

QString formatName(ImportFormat format) {
    const std::string_view name = importFormatName(format);
    return QString::fromLatin1(name.data(), qsizetype(name.size()));
}

QStringList skippedLines(const PriceConversion& conversion) {
    QStringList lines;
    for (const SkippedLine& line : conversion.firstSkipped) {
        const std::string_view reason = skipReasonText(line.reason);
        lines << QStringLiteral("line %1: ").arg(line.lineNumber) +
                     QString::fromLatin1(reason.data(), qsizetype(reason.size()));
    }
    return lines;
}

// The count of every line skipped; the lines themselves as far as the
// conversion named them.
QString skippedSummary(const PriceConversion& conversion) {
    const int count = conversion.skippedCount;
    if (count == 0) return QStringLiteral("No line skipped.");
    return QStringLiteral("Skipped %1 line%2:\n").arg(count).arg(count == 1 ? QString() : QStringLiteral("s")) +
           firstLinesAndMore(skippedLines(conversion), shownSkippedLines);
}

bool sameFile(const QString& a, const QString& b) {
    std::error_code error;
    return fs::equivalent(fsPath(a), fsPath(b), error) ||
           QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

}  // namespace

CImportDlg::CImportDlg(fs::path startDirectory, QStringList shownFiles, QWidget* parent)
    : QDialog(parent),
      startDirectory_(std::move(startDirectory)),
      shownFiles_(std::move(shownFiles)),
      sourceEdit_(new QLineEdit(this)),
      formatCombo_(new QComboBox(this)),
      productCombo_(new QComboBox(this)),
      targetEdit_(new QLineEdit(this)),
      statusLabel_(new QLabel(this)) {
    setObjectName(QStringLiteral("importPriceData"));
    setWindowTitle(QStringLiteral("Import Price Data"));

    sourceEdit_->setObjectName(QStringLiteral("importSource"));
    sourceEdit_->setMinimumWidth(320);
    auto* browse = new QPushButton(QStringLiteral("Browse..."), this);
    browse->setObjectName(QStringLiteral("importBrowse"));
    browse->setAutoDefault(false);
    connect(browse, &QPushButton::clicked, this, &CImportDlg::browseSource);

    formatCombo_->setObjectName(QStringLiteral("importFormat"));
    formatCombo_->addItem(QStringLiteral("Auto (tell from the first line)"), int(ImportFormat::Auto));
    formatCombo_->addItem(QStringLiteral("Broker export (YYYY.MM.DD,HH:MM,open,high,low,close,volume)"),
                          int(ImportFormat::Broker));
    formatCombo_->addItem(QStringLiteral("OHLC CSV (a header naming Date, Open, High, Low, Close)"),
                          int(ImportFormat::Ohlc));

    productCombo_->setObjectName(QStringLiteral("importProduct"));
    makeProductChoice(productCombo_, maxProductNameLength);
    connect(productCombo_, &QComboBox::currentTextChanged, this, &CImportDlg::showDefaultTarget);

    targetEdit_->setObjectName(QStringLiteral("importTarget"));
    statusLabel_->setObjectName(QStringLiteral("importStatus"));
    statusLabel_->setWordWrap(true);
    statusLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* ok = new QPushButton(QStringLiteral("Import"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("CANCEL"), this);
    cancel->setObjectName(QStringLiteral("2"));
    connect(ok, &QPushButton::clicked, this, &CImportDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CImportDlg::reject);

    auto* entries = new QGridLayout;
    const auto addRow = [this, entries](const QString& label, QWidget* field, QWidget* extra = nullptr) {
        const int row = entries->rowCount();
        auto* caption = new QLabel(label, this);
        caption->setBuddy(field);
        entries->addWidget(caption, row, 0);
        entries->addWidget(field, row, 1, 1, extra != nullptr ? 1 : 2);
        if (extra != nullptr) entries->addWidget(extra, row, 2);
    };
    addRow(QStringLiteral("&Exported file"), sourceEdit_, browse);
    addRow(QStringLiteral("&Format"), formatCombo_);
    addRow(QStringLiteral("&Product"), productCombo_);
    addRow(QStringLiteral("Price file to &write"), targetEdit_);
    entries->addWidget(statusLabel_, entries->rowCount(), 0, 1, 3);
    entries->setRowStretch(entries->rowCount(), 1);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(entries);
    layout->addSpacing(12);
    layout->addLayout(buttons);
}

QString CImportDlg::productName() const {
    return productCombo_->currentText().trimmed();
}

void CImportDlg::browseSource() {
    const QString path = askOpenFileName(this, QStringLiteral("Price Exports (*.csv *.txt);;All Files (*)"));
    if (!path.isEmpty()) sourceEdit_->setText(path);
}

// The product's file where downloads go, as long as a product is named and
// no open view shows it.
void CImportDlg::showDefaultTarget() {
    const std::string product = productName().toStdString();
    if (product.empty()) return;
    fs::path target = downloadTargetPath(startDirectory_, product);
    const QString path = QString::fromStdString(target.string());
    if (std::any_of(shownFiles_.begin(), shownFiles_.end(), [&path](const QString& shown) { return sameFile(shown, path); }))
        target.replace_filename(target.stem().string() + "-imported" + target.extension().string());
    targetEdit_->setText(QString::fromStdString(target.string()));
}

ImportFormat CImportDlg::chosenFormat() const {
    return static_cast<ImportFormat>(formatCombo_->currentData().toInt());
}

void CImportDlg::refuse(const QString& message, QWidget* toCorrect, const QString& details) {
    statusLabel_->setText(message);
    // A dialog window does not follow its wrapped label's height by itself.
    statusLabel_->setMinimumHeight(statusLabel_->heightForWidth(statusLabel_->width()));
    showMessage(message, details);
    toCorrect->setFocus();
}

void CImportDlg::accept() {
    const QString source = sourceEdit_->text().trimmed();
    const QString target = targetEdit_->text().trimmed();
    statusLabel_->clear();
    if (source.isEmpty()) return refuse(QStringLiteral("Choose the exported file to import."), sourceEdit_);
    if (productName().isEmpty())
        return refuse(QStringLiteral("Choose the product the history belongs to."), productCombo_);
    if (target.isEmpty()) return refuse(QStringLiteral("Type the price file to write."), targetEdit_);
    if (sameFile(source, target))
        return refuse(QStringLiteral("The price file to write is the exported file itself; choose another."),
                      targetEdit_);
    if (QFileInfo::exists(target) &&
        !askYesNo(QStringLiteral("%1 already exists.\nReplace it with the imported history?").arg(target), QString(),
                  EnterAnswers::No)) {
        targetEdit_->setFocus();
        return;
    }

    // The product's data folder is made on first use, as a download does.
    std::error_code error;
    fs::create_directories(fsPath(target).parent_path(), error);
    const PriceImport result = importPriceFile(fsPath(source), fsPath(target), chosenFormat());
    const QStringList skipped = skippedLines(result.conversion);
    switch (result.status) {
        case ImportStatus::Unreadable:
            return refuse(QStringLiteral("Cannot read %1").arg(source), sourceEdit_);
        case ImportStatus::NotConverted:
            if (result.conversion.outcome == ImportOutcome::UnknownFormat)
                return refuse(QStringLiteral("%1: the first line is neither a broker export bar "
                                             "(YYYY.MM.DD,HH:MM,open,...) nor a header naming Date, Open, High, "
                                             "Low and Close. Nothing was written.")
                                  .arg(QFileInfo(source).fileName()),
                              sourceEdit_);
            return refuse(QStringLiteral("%1: no line gave a bar; nothing was written.\n%2")
                              .arg(QFileInfo(source).fileName(), skippedSummary(result.conversion)),
                          sourceEdit_, skipped.join(QLatin1Char('\n')));
        case ImportStatus::WriteFailed:
            return refuse(QStringLiteral("Cannot write %1: %2; it was left as it was.")
                              .arg(target, QString::fromStdString(result.writeError)),
                          targetEdit_);
        case ImportStatus::Imported:
            break;
    }
    reportImport(result, target);
}

void CImportDlg::reportImport(const PriceImport& result, const QString& target) {
    const PriceConversion& conversion = result.conversion;
    const QStringList skipped = skippedLines(conversion);
    const QString bars = conversion.bars == 1 ? QStringLiteral("1 bar") : QString::number(conversion.bars) + " bars";
    const QString text = QStringLiteral("Wrote ") + bars + " (" + QString::number(conversion.firstDate) + " to " +
                         QString::number(conversion.lastDate) + ") to " + target + "\nFormat: " +
                         formatName(conversion.format) +
                         (chosenFormat() == ImportFormat::Auto ? QStringLiteral(" (detected)") : QString()) + "\n" +
                         skippedSummary(conversion) + "\n\nOpen it in a new view?";
    importedPath_ = target;
    openRequested_ = askYesNo(text, skipped.join(QLatin1Char('\n')));
    QDialog::accept();
}
