#pragma once

#include "data/download.h"
#include "workbench/background_task.h"

#include <QDialog>

#include <filesystem>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Dialog 151 "Download Hist File from Internet": fetches the chosen product's
// history from the data server into startDirectory/data. The transfer runs in a
// background task so the window keeps repainting; meanwhile the dialog shows that
// it is busy, and CANCEL (or Escape, or the close box) aborts the transfer at
// once and closes the dialog, the earlier file left as it was. A failure keeps
// the dialog open; a download closes it after telling the date of the newest
// bar and the file it went to, and asking whether to open it. A view that
// shows the file reloads it.
class CDownloadDlg : public QDialog {
    Q_OBJECT
public:
    // `commandLineServer`: the address given with --server for this run, which
    // goes ahead of the environment and the settings store.
    explicit CDownloadDlg(std::filesystem::path startDirectory, const QString& commandLineServer = QString(),
                          QWidget* parent = nullptr);
    ~CDownloadDlg() override;  // drops a transfer still running with the program going down

    void accept() override;
    void reject() override;

    // After a download: the product, the file written, and whether the user
    // wants it opened in a new view.
    QString productName() const;
    QString downloadedPath() const { return downloadedPath_; }
    bool openRequested() const { return openRequested_; }

private:
    bool downloading() const { return task_.isRunning(); }
    // A download that would lose bars of the file there asks first (see
    // PriceHistoryDownload::wouldLoseHistory), and runs again replacing it on Yes.
    void startDownload(bool replaceLongerHistory);
    void setBusy(bool busy);
    void finishDownload(const varkel::PriceHistoryDownload& result, const QString& address);

    const std::filesystem::path startDirectory_;
    QString resolvedAddress_;  // what the server field showed when the dialog opened
    QComboBox* const productCombo_;  // control 1049
    QLineEdit* const serverEdit_;
    QLabel* const statusLabel_;
    QPushButton* const okButton_;
    QPushButton* const cancelButton_;
    QString downloadedPath_;
    bool openRequested_ = false;
    // Last: it stops a running transfer before anything above goes.
    BackgroundTask task_;
};
