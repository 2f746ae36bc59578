#include "builder/frmField.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "common/model/DataTypes.h"
#include "common/ui/ModalWindow.h"
#include "platform/ui/MessageBox.h"

namespace tarn::builder {

using platform::ui::MessageIcon;
using platform::ui::ShowMessageBox;

frmField::frmField(QWidget* parent) : QDialog(parent) {
    setObjectName("frmField");
    setWindowTitle("Field Properties");

    lblFieldName_ = new QLabel("Desktop Field Name:", this);
    lblFieldName_->setObjectName("lblFieldName");
    txtFieldName_ = new QLineEdit(this);
    txtFieldName_->setObjectName("txtFieldName");
    auto* lblDataType = new QLabel("Palm Field Type:", this);
    lblDataType->setObjectName("lblDataType");
    cbDataType_ = new QComboBox(this);
    cbDataType_->setObjectName("cbDataType");
    auto* lblFilter = new QLabel("Filter Name:", this);
    lblFilter->setObjectName("lblFilter");
    txtFilter_ = new QLineEdit(this);
    txtFilter_->setObjectName("txtFilter");
    cmdOk_ = new QPushButton("&Ok", this);
    cmdOk_->setObjectName("cmdOk");
    cmdOk_->setDefault(true);
    cmdCancel_ = new QPushButton("&Cancel", this);
    cmdCancel_->setObjectName("cmdCancel");

    for (int16_t code = kTypeByte; code <= kTypeIgnoreField; ++code)
        cbDataType_->addItem(QString::fromStdString(DataTypeName(code)));

    auto* grid = new QGridLayout;
    grid->addWidget(lblFieldName_, 0, 0);
    grid->addWidget(txtFieldName_, 0, 1);
    grid->addWidget(lblDataType, 1, 0);
    grid->addWidget(cbDataType_, 1, 1);
    grid->addWidget(lblFilter, 2, 0);
    grid->addWidget(txtFilter_, 2, 1);
    grid->setColumnMinimumWidth(1, 220);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOk_);
    buttons->addWidget(cmdCancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());

    connect(cbDataType_, &QComboBox::currentIndexChanged, this, [this] { cbDataType_Click(); });
    connect(cmdOk_, &QPushButton::clicked, this, [this] { cmdOk_Click(); });
    connect(cmdCancel_, &QPushButton::clicked, this, [this] { reject(); });
}

bool frmField::EditField(clsField& MyField) {
    txtFieldName_->setText(QString::fromStdString(MyField.FieldName));
    int index = MyField.DataType;
    if (index < kTypeByte || index > kTypeIgnoreField) index = kTypeString;
    cbDataType_->setCurrentIndex(index);
    cbDataType_Click();
    txtFilter_->setText(QString::fromStdString(MyField.Filter));
    confirmed_ = false;
    ui::ExecModal(*this);
    if (confirmed_) {
        MyField.FieldName = txtFieldName_->text().toStdString();
        MyField.DataType = static_cast<int16_t>(cbDataType_->currentIndex());
        MyField.Filter = txtFilter_->text().toStdString();
    }
    return confirmed_;
}

void frmField::cbDataType_Click() {
    bool isStatus = cbDataType_->currentIndex() == kTypeRecordStatus;
    txtFieldName_->setEnabled(!isStatus);
    lblFieldName_->setEnabled(!isStatus);
}

void frmField::cmdOk_Click() {
    if (cbDataType_->currentIndex() == kTypeRecordStatus)
        txtFieldName_->setText(kStatusFlagFieldName);
    if (txtFieldName_->text().trimmed().isEmpty()) {
        ShowMessageBox("", "The desktop field name can not be blank", MessageIcon::Information);
        if (txtFieldName_->isEnabled()) txtFieldName_->setFocus();
        return;
    }
    confirmed_ = true;
    accept();
}

}  // namespace tarn::builder
