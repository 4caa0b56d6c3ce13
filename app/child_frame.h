#pragma once

#include <QMdiSubWindow>

class CVarkelModel2cView;

// The frame of one chart view, titled after its document ("vkm1", "vkm2", ...)
// until a product is opened into it. It is shown maximized unless the user
// cascades or tiles the views (Window menu).
class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    CChildFrame(CVarkelModel2cView* view, int documentNumber);

    CVarkelModel2cView* view() const { return view_; }

private:
    void showTitleOf(const QString& productName);

    CVarkelModel2cView* const view_;
    const QString documentTitle_;
};
