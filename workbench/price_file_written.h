#pragma once

#include <QString>

#include <functional>

// Every file the program changes goes through the engine's door
// (base/owned_file.h), which says so here; the shell answers by reloading
// every view that shows the file, so that the chart and whatever reads the
// bars next see what the file holds now. A change made on a worker thread (a
// download) reaches the handler on the window thread. An empty function
// stops listening; a change heard before that and not yet handled is dropped.
void setPriceFileWrittenHandler(std::function<void(const QString& path)> handler);
