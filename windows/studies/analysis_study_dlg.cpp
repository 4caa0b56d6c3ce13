#include "windows/studies/analysis_study_dlg.h"

#include "windows/studies/analysis_chart.h"
#include "windows/studies/analysis_study.h"
#include "workbench/chart_workspace.h"
#include "workbench/seams.h"

#include <QLineEdit>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int titleBufferSize = 128;

}  // namespace

CAnalysisStudyDlg::CAnalysisStudyDlg(const AnalysisStudy& study, ChartWorkspace* workspace, QWidget* parent)
    : CSpanDlg(workspace, parent, study.dialogId, QString::fromUtf8(study.dialogTitle)), study_(study) {
    for (std::size_t i = 0; i < study.entries.size(); ++i)
        spanEdits_.push_back(addSpanEdit(study.entries[i].id, QString::fromUtf8(study.entries[i].label),
                                         study.info.spans[i].defaultSpan));
}

void CAnalysisStudyDlg::accept() {
    if (!spanEntriesFilled()) return;
    std::vector<int> spans;
    for (const QLineEdit* edit : spanEdits_) spans.push_back(spanOf(edit));
    const auto shortest = std::min_element(spans.begin(), spans.end());
    QLineEdit* shortestEntry = spanEdits_[static_cast<std::size_t>(shortest - spans.begin())];
    if (*shortest < 1) {
        refuse(shortestEntry, QStringLiteral("Supply greater than 0 value for each span"));
        return;
    }
    // A span the computation refuses would leave the old values in the bars
    // and draw them under a title naming the new span.
    if (!study_.info.acceptsSpans(spans)) {
        refuse(firstRefusedEntry(spans),
               QStringLiteral("Supply %1 or a greater value for each span").arg(study_.info.smallestSpan()));
        return;
    }
    ChartWorkspace* workspace = chartedWorkspace();
    if (workspace == nullptr) {
        QDialog::accept();
        return;
    }
    const std::string product = workspace->productName;
    if (!spansFitHistory(study_.info, spanEdits_)) return;

    const std::vector<double> values(spans.begin(), spans.end());
    study_.info.compute(workspace->registry, product, values);
    recordStudyRun(*workspace, study_.info.kind, values);

    char title[titleBufferSize];
    std::snprintf(title, sizeof title, study_.titleFormat, spans[0], spans.size() > 1 ? spans[1] : 0,
                  spans.size() > 2 ? spans[2] : 0);
    if (!drawAnalysisChart(*workspace, study_, title))
        showMessage(QStringLiteral("Could not generate Analysis Chart"));
    QDialog::accept();
}

QLineEdit* CAnalysisStudyDlg::firstRefusedEntry(const std::vector<int>& spans) const {
    for (std::size_t i = 0; i < spans.size(); ++i)
        if (spans[i] < study_.info.spans[i].smallest) return spanEdits_[i];
    return spanEdits_.front();
}
