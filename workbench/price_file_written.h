#pragma once

#include <QString>

#include <functional>

// The dialogs that write a price file (append, download, a bar fix) say so
// here; the shell answers by reloading every view that shows the file, so that
// the chart and whatever reads the bars next see what the file holds now.
void announcePriceFileWritten(const QString& path);

// The shell's answer; an empty function stops listening.
void setPriceFileWrittenHandler(std::function<void(const QString& path)> handler);
