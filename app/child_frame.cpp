#include "app/child_frame.h"

#include "app/chart_view.h"

CChildFrame::CChildFrame(CVarkelModel2cView* view, int documentNumber)
    : view_(view), documentTitle_(QStringLiteral("vkm%1").arg(documentNumber)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWidget(view);
    setWindowTitle(documentTitle_);
    connect(view, &QWidget::windowTitleChanged, this, &CChildFrame::showTitleOf);
}

void CChildFrame::showTitleOf(const QString& productName) {
    setWindowTitle(productName.isEmpty() ? documentTitle_ : productName);
}
