#include "windows/studies/keltner_dlg.h"

#include "chart/price_chart_setup.h"
#include "studies/study_catalogue.h"
#include "studies/study_frame.h"
#include "studies/trend_studies.h"
#include "windows/studies/chart_repaint.h"
#include "workbench/chart_workspace.h"
#include "workbench/seams.h"

#include <QLineEdit>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

using namespace varkel;

namespace {

constexpr double maxMultiplier = 10.0;

// The multiplier the text spells, read by the standard library's conversion;
// nothing unless the whole text is one finite number.
std::optional<double> parseMultiplier(const QString& text) {
    const QByteArray bytes = text.trimmed().toLatin1();
    if (bytes.isEmpty()) return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(bytes.constData(), &end);
    if (end != bytes.constData() + bytes.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace

CKeltnerDlg::CKeltnerDlg(ChartWorkspace* workspace, QWidget* parent)
    : CSpanDlg(workspace, parent, 157, QStringLiteral("Calc Keltner Channels")),
      emaSpan_(addSpanEdit(1052, QStringLiteral("EMA Span"), 10)),
      atrSpan_(addSpanEdit(1053, QStringLiteral("ATR Span"), 10)),
      multiplier_(addTextEdit(1054, QStringLiteral("Multiplier"), QStringLiteral("1.5"))) {}

void CKeltnerDlg::accept() {
    if (!spanEntriesFilled()) return;
    const int emaSpan = spanOf(emaSpan_);
    const int atrSpan = spanOf(atrSpan_);
    // Shorter spans would leave the old bands in the bars under a new title,
    // and text that is not a number would silently become 0.
    if (emaSpan < minStudySpan || atrSpan < minStudySpan) {
        refuse(emaSpan < minStudySpan ? emaSpan_ : atrSpan_,
               QStringLiteral("Supply %1 or a greater value for each span").arg(minStudySpan));
        return;
    }
    const std::optional<double> multiplier = parseMultiplier(multiplier_->text());
    if (!multiplier) {
        refuse(multiplier_, QStringLiteral("Supply a number as the multiplier"));
        return;
    }
    // Bands on the average itself (0) or beyond any price the history saw
    // (more than 10 ATRs) tell a trader nothing.
    if (!(*multiplier > 0.0 && *multiplier <= maxMultiplier)) {
        refuse(multiplier_, QStringLiteral("Supply a multiplier greater than 0 and at most %1").arg(maxMultiplier));
        return;
    }
    ChartWorkspace* workspace = chartedWorkspace();
    if (workspace == nullptr) {
        QDialog::accept();
        return;
    }
    if (!spansFitHistory(*findStudy(StudyKind::KeltnerChannels), {emaSpan_, atrSpan_})) return;
    workspace->priceOverlay = 1;
    calcKeltner(workspace->registry, workspace->productName, atrSpan, emaSpan, *multiplier);
    recordStudyRun(*workspace, StudyKind::KeltnerChannels, {double(emaSpan), double(atrSpan), *multiplier});
    repaintPriceChart(*workspace, StudyKind::KeltnerChannels);

    char title[128];
    std::snprintf(title, sizeof title, "Keltner Channel (%d,%d,%1.4f)", emaSpan, atrSpan, *multiplier);
    workspace->priceChart->setTitle(1, title);
    nameKeltnerBands(*workspace);
    if (workspace->studyChartCount > 0) workspace->priceChart->setSetting(settingVerticalGrid, 0);
    finishChart(*workspace->priceChart);
    QDialog::accept();
}
