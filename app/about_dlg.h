#pragma once

#include <QDialog>

// Dialog 100: the program's picture and an OK button.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent);
};
