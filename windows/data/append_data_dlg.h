#pragma once

#include "data/append_bar.h"

#include <QDialog>
#include <QString>

#include <array>

class QLineEdit;

// Dialog 150 "Append Price Data": one bar typed by hand, appended to a price
// file the user picks when pressing OK. Prices may be typed in hundredths or
// with up to two decimals; a close more than 10 % from the file's last close
// is asked about first (Enter answers No), and the line written is shown with
// the file's name. A view that shows the file reloads it.
class CAppendDataDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAppendDataDlg(QWidget* parent = nullptr);

    // Where the file question starts: a price file (offered selected) or a
    // folder. Without one the question starts in the working folder.
    void setFileToOffer(const QString& path) { fileToOffer_ = path; }

    // Refuses entries that make no bar (the dialog stays open, the entry to
    // correct gets the focus), else asks for the file and appends the line.
    void accept() override;

private:
    varkel::AppendRequest typedRequest() const;
    // Shows `message` (none when empty) and selects the entry to correct.
    void refuse(const std::string& message, varkel::AppendField field);
    // True unless the close lies far from the file's last close and the user
    // answers No to appending it.
    bool confirmFarClose(const std::string& path, const varkel::PriceLineValues& values);

    // Controls 1047..1051: date, open, high, low, close.
    std::array<QLineEdit*, 5> entries_{};
    QString fileToOffer_;
};
