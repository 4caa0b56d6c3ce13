#pragma once

#include "data/price_import.h"

#include <QDialog>

#include <filesystem>

class QComboBox;
class QLabel;
class QLineEdit;

// "Import Price Data": converts a history exported by a broker platform or a
// spreadsheet into a price file of this program. The target defaults to the
// chosen product's file in startDirectory/data, where downloads go too, unless
// an open view shows that file (`shownFiles`): then to "<stem>-imported.txt"
// beside it, so that Enter never writes over the history on screen. Replacing
// an existing file is asked, Enter answering No. A failure keeps the dialog
// open with the reason; an import closes it after saying what was written and
// asking whether to open it.
class CImportDlg : public QDialog {
    Q_OBJECT
public:
    explicit CImportDlg(std::filesystem::path startDirectory, QStringList shownFiles = {},
                        QWidget* parent = nullptr);

    void accept() override;

    // After an import: the product and the price file written, and whether the
    // user asked to see it in a new view.
    QString productName() const;
    QString importedPath() const { return importedPath_; }
    bool openRequested() const { return openRequested_; }

private:
    void browseSource();
    void showDefaultTarget();
    varkel::ImportFormat chosenFormat() const;
    void refuse(const QString& message, QWidget* toCorrect, const QString& details = QString());
    void reportImport(const varkel::PriceImport& result, const QString& target);

    const std::filesystem::path startDirectory_;
    const QStringList shownFiles_;
    QLineEdit* const sourceEdit_;
    QComboBox* const formatCombo_;
    QComboBox* const productCombo_;
    QLineEdit* const targetEdit_;
    QLabel* const statusLabel_;
    QString importedPath_;
    bool openRequested_ = false;
};
