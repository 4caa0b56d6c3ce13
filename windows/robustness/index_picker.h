#pragma once

#include "search/build_validation.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QWidget;

// The object names a window gives the picker's controls, so that its tests
// find them by the ids the window has always used.
struct IndexPickerNames {
    const char* baseList;
    const char* use2ndBox;
    const char* secondList;
    const char* use3rdBox;
    const char* thirdList;
};

// The choice of the indexes a build searches: a list of the base studies and
// two lists of the filter studies, each filter with its "use" box; nothing is
// chosen at first. The Strategy Builder and the Walk-Forward window (and every
// window that builds) pick their indexes with it. The controls are children of
// `parent`; place() puts them into the window's own grid.
class IndexPicker {
public:
    IndexPicker(QWidget* parent, const IndexPickerNames& names, int listWidth);

    // "Base Index" and the base list in row 0, the filters' boxes and lists in
    // rows 1 and 2, in columns 0 and 1 of `grid`.
    void place(QGridLayout* grid) const;
    // What the controls show; not validated (validateIndexChoice).
    varkel::IndexChoice choice() const;
    // Shows `choice` (a build to repeat); a list whose study is not given shows nothing.
    void setChoice(const varkel::IndexChoice& choice);
    // While a build runs, the choice on screen stays the one being built.
    void setEnabled(bool enabled);

private:
    QWidget* const parent_;
    QComboBox* const baseList_;
    QCheckBox* const use2ndBox_;
    QComboBox* const secondList_;
    QCheckBox* const use3rdBox_;
    QComboBox* const thirdList_;
};
