#pragma once

class QComboBox;

// Makes `combo` the program's product entry: editable (any name may be typed,
// up to `maxLength` characters), offering the four known pairs in sorted
// order, with nothing chosen yet.
void makeProductChoice(QComboBox* combo, int maxLength);
