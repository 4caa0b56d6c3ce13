#include "windows/robustness/index_picker.h"

#include "studies/study_catalogue.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

using namespace varkel;

namespace {

QComboBox* studyList(QWidget* parent, const std::vector<const StudyInfo*>& studies, const char* name, int width) {
    auto* list = new QComboBox(parent);
    list->setObjectName(QString::fromLatin1(name));
    for (const StudyInfo* study : studies) list->addItem(QString::fromLatin1(study->name));
    list->setCurrentIndex(-1);
    list->setMinimumWidth(width);
    return list;
}

QCheckBox* useBox(QWidget* parent, const QString& caption, const char* name) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

std::optional<StudyKind> kindOf(const QComboBox* list) {
    if (list->currentIndex() < 0) return std::nullopt;
    return studyKindFromListText(list->currentText().toStdString());
}

}  // namespace

IndexPicker::IndexPicker(QWidget* parent, const IndexPickerNames& names, int listWidth)
    : parent_(parent),
      baseList_(studyList(parent, baseStudies(), names.baseList, listWidth)),
      use2ndBox_(useBox(parent, QStringLiteral("2nd Index"), names.use2ndBox)),
      secondList_(studyList(parent, filterStudies(), names.secondList, listWidth)),
      use3rdBox_(useBox(parent, QStringLiteral("3rd Index"), names.use3rdBox)),
      thirdList_(studyList(parent, filterStudies(), names.thirdList, listWidth)) {}

void IndexPicker::place(QGridLayout* grid) const {
    grid->addWidget(new QLabel(QStringLiteral("Base Index"), parent_), 0, 0);
    grid->addWidget(baseList_, 0, 1);
    grid->addWidget(use2ndBox_, 1, 0);
    grid->addWidget(secondList_, 1, 1);
    grid->addWidget(use3rdBox_, 2, 0);
    grid->addWidget(thirdList_, 2, 1);
}

IndexChoice IndexPicker::choice() const {
    IndexChoice choice;
    choice.baseKind = kindOf(baseList_);
    choice.use2nd = use2ndBox_->isChecked();
    if (choice.use2nd) choice.secondKind = kindOf(secondList_);
    choice.use3rd = use3rdBox_->isChecked();
    if (choice.use3rd) choice.thirdKind = kindOf(thirdList_);
    return choice;
}

void IndexPicker::setChoice(const IndexChoice& choice) {
    const auto select = [](QComboBox* list, std::optional<StudyKind> kind) {
        const StudyInfo* study = kind ? findStudy(*kind) : nullptr;
        list->setCurrentIndex(study == nullptr ? -1 : list->findText(QString::fromLatin1(study->name)));
    };
    select(baseList_, choice.baseKind);
    use2ndBox_->setChecked(choice.use2nd);
    select(secondList_, choice.use2nd ? choice.secondKind : std::nullopt);
    use3rdBox_->setChecked(choice.use3rd);
    select(thirdList_, choice.use3rd ? choice.thirdKind : std::nullopt);
}

void IndexPicker::setEnabled(bool enabled) {
    for (QWidget* entry : std::initializer_list<QWidget*>{baseList_, use2ndBox_, secondList_, use3rdBox_, thirdList_})
        entry->setEnabled(enabled);
}
