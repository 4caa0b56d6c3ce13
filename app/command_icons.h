#pragma once

#include <QIcon>

// The 32 x 32 toolbar picture of a command, drawn to show what it does; a null
// icon for a command without a button.
QIcon commandIcon(int id);
