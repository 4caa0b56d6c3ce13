#pragma once

class QWidget;

// Print and Print Preview of a chart view: the charts as they are shown,
// scaled to the page, on the printer chosen in Print Setup.
void printView(QWidget& view);
void previewViewPrint(QWidget& view);
