#pragma once

#include <QDialog>

#include "common/model/clsField.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tarn::builder {

// "Field Properties": edits one field of a table (name, handheld data type, filter).
class frmField : public QDialog {
    Q_OBJECT

  public:
    explicit frmField(QWidget* parent = nullptr);

    // Shows the editor modally for the field. True when the user confirmed; the edited values
    // are then in `MyField` (the name as typed, untrimmed). Cancelling leaves it untouched.
    bool EditField(clsField& MyField);

  private:
    void cbDataType_Click();
    void cmdOk_Click();

    bool confirmed_ = false;
    QLabel* lblFieldName_;
    QLineEdit* txtFieldName_;
    QComboBox* cbDataType_;
    QLineEdit* txtFilter_;
    QPushButton* cmdOk_;
    QPushButton* cmdCancel_;
};

}  // namespace tarn::builder
