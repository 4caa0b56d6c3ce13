#include "windows/studies/tick_dlg.h"

#include "windows/studies/chart_repaint.h"
#include "workbench/chart_workspace.h"
#include "workbench/tab_strip.h"

using namespace varkel;

namespace {

constexpr int defaultTicks = 300;
constexpr int tickDigits = 4;  // 0 ... 9999
constexpr int minTicks = 2;

}  // namespace

CTickDlg::CTickDlg(ChartWorkspace* workspace, QWidget* parent)
    : CSpanDlg(workspace, parent, 138, QStringLiteral("Specifying number of tick")),
      ticks_(addSpanEdit(1006, QStringLiteral("Number of Tick"), defaultTicks, tickDigits)) {}

void CTickDlg::accept() {
    if (!spanEntriesFilled()) return;
    const int ticks = spanOf(ticks_);
    // Fewer than two bars leave nothing to draw a line or a range from.
    if (ticks < minTicks) {
        refuse(ticks_, QStringLiteral("Supply %1 or a greater number of ticks").arg(minTicks));
        return;
    }
    if (ChartWorkspace* workspace = chartedWorkspace()) {
        // Charts zoomed in earlier go back to the whole history when the count
        // covers it; otherwise they would keep the old bars.
        const bool wasZoomed = workspace->barsShown < workspace->barsTotal;
        workspace->barsShown = workspace->barsTotal;
        if (workspace->barsTotal > ticks) workspace->barsShown = ticks;
        if (workspace->barsTotal > ticks || wasZoomed) repaintEveryChart(*workspace);
        if (workspace->priceChart != nullptr)
            workspace->priceChart->moveWindow(0, TabStrip::tabRowHeight, workspace->productTab->width(),
                                              workspace->productTab->height() - TabStrip::tabRowHeight);
    }
    QDialog::accept();
}
