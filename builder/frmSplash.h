#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTimer;

namespace tarn::builder {

// The splash box at start and the about box: product, version, support address, logo.
class frmSplash : public QDialog {
    Q_OBJECT

  public:
    explicit frmSplash(QWidget* parent = nullptr);

    // Modal without the OK button; closes itself after two seconds.
    void SplashScreen();
    // Modal with the OK button, until the user closes it.
    void AboutScreen();

    static constexpr int kSplashMilliseconds = 2000;

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QLabel* lblSupportAddress_;
    QPushButton* cmdOk_;
    QTimer* tmrSplash_;
};

}  // namespace tarn::builder
