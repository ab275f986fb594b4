// The three boxes the probe and the analog setup windows share (description, full scale, zero
// offset), found by their object names: the operator's edits go to the tool, the tool's texts
// come back.
#pragma once

#include <QLineEdit>
#include <QString>

#include "dialogs/input_setup.h"

namespace zelapp {

inline QLineEdit *inputBox(const QWidget &form, InputBox box) {
    return form.findChild<QLineEdit *>(QString::fromLatin1(inputBoxInfo(box).name));
}

template <typename Tool>
void connectInputBoxes(QWidget &form, Tool &tool) {
    for (int i = 0; i < kInputBoxCount; ++i) {
        const auto which = static_cast<InputBox>(i);
        // Only the operator's edits count: textEdited is not raised when refresh() fills in.
        QObject::connect(inputBox(form, which), &QLineEdit::textEdited, &form,
                         [&tool, which](const QString &text) { tool.editBox(which, text); });
    }
}

template <typename Tool>
void showInputBoxes(const QWidget &form, const Tool &tool) {
    for (int i = 0; i < kInputBoxCount; ++i) {
        const auto which = static_cast<InputBox>(i);
        QLineEdit *edit = inputBox(form, which);
        // setText would put the cursor at the end; only a changed text is set again.
        if (edit->text() != tool.text(which)) {
            edit->setText(tool.text(which));
        }
        edit->setEnabled(tool.boxesEnabled());
    }
}

inline void focusInputBox(const QWidget &form, InputBox box) {
    QLineEdit *edit = inputBox(form, box);
    edit->setFocus();
    edit->selectAll();
}

}  // namespace zelapp
