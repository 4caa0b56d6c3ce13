#include "app/about_dlg.h"

#include "app/program_picture.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("100"));
    setWindowTitle(QStringLiteral("About Varkel Model"));
    auto* picture = new QLabel(this);
    picture->setPixmap(programPicture());
    picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(picture);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
}
