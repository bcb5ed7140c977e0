// Brevane - a dialog whose Esc key and close box press its Cancel button.
//
// The dialog itself stays: it goes when its Cancel handler unloads it, or when the run it
// belongs to unloads it.
#pragma once

#include <QCloseEvent>
#include <QDialog>

namespace shell {

class CancelOnCloseDialog : public QDialog {
public:
    using QDialog::QDialog;

    virtual void CancelButton_Click() = 0;

    void reject() override { CancelButton_Click(); }

protected:
    void closeEvent(QCloseEvent* event) override
    {
        event->ignore();
        CancelButton_Click();
    }
};

}  // namespace shell
