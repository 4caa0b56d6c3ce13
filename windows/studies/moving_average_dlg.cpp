#include "windows/studies/moving_average_dlg.h"

#include "studies/study_catalogue.h"
#include "studies/trend_studies.h"
#include "windows/studies/chart_repaint.h"
#include "workbench/chart_workspace.h"
#include "workbench/seams.h"

#include <cstdio>

using namespace varkel;

CMovingAverageDlg::CMovingAverageDlg(ChartWorkspace* workspace, QWidget* parent)
    : CSpanDlg(workspace, parent, 156, QStringLiteral("Moving Average Calc")),
      span1_(addSpanEdit(1051, QStringLiteral("MA Span 1"), 20)),
      span2_(addSpanEdit(1052, QStringLiteral("MA Span 2"), 40)) {}

void CMovingAverageDlg::accept() {
    if (!spanEntriesFilled()) return;
    const int span1 = spanOf(span1_);
    const int span2 = spanOf(span2_);
    if (span1 <= 2 || span2 <= 2 || span2 <= span1) {
        refuse(span1 <= 2 ? span1_ : span2_,
               QStringLiteral("Please specify greater than 2 and span 2 must be greater than span 1"));
        return;
    }
    ChartWorkspace* workspace = chartedWorkspace();
    if (workspace == nullptr) {
        QDialog::accept();
        return;
    }
    if (!spansFitHistory(*findStudy(StudyKind::MovingAverages), {span1_, span2_})) return;
    workspace->priceOverlay = 0;
    calcMovingAverage(workspace->registry, workspace->productName, span1, 1);
    calcMovingAverage(workspace->registry, workspace->productName, span2, 2);
    recordStudyRun(*workspace, StudyKind::MovingAverages, {double(span1), double(span2)});
    repaintPriceChart(*workspace, StudyKind::MovingAverages);

    char title[128];
    std::snprintf(title, sizeof title, "Moving Avr (%d,%d)", span1, span2);
    workspace->priceChart->setTitle(1, title);
    nameAverageLines(*workspace, span1, span2);
    if (workspace->studyChartCount > 0) workspace->priceChart->setSetting(settingVerticalGrid, 0);
    QDialog::accept();
}
