#pragma once

#include <QString>

// The workstation's start directory when --dir does not name one:
// $XDG_DATA_HOME/varkel-model (~/.local/share/varkel-model), created on the
// first start. Trade models, strategy files and downloads go below it, never
// next to the program.
QString defaultStartDirectory();

// The folder of the bundled sample histories: share/varkel-model/samples of
// the installation the program runs from or, run from its build tree, the
// source tree's samples; empty when neither is there.
QString sampleFolder();
