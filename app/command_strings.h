#pragma once

#include <QString>

// The status-bar prompt and the tool tip of a command; empty when it has none.
QString commandPrompt(int id);
QString commandTip(int id);
