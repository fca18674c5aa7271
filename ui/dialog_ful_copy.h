#pragma once
// The full-copy question of the sending half: a pair whose other side has never written a table.
// Created once with the main window and reused; its check boxes keep their states between
// showings. Showing it modally returns MR: 1 copy everything, 7 copy nothing, 3 refused (also
// the close box).

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

namespace tarvela::ui {

class TFmDialogFulCopy final : public QDialog {
    Q_OBJECT
public:
    explicit TFmDialogFulCopy(QWidget* parent);

    bool All = false;   // RzCheckBoxAll at the last press of "Выполнить"
    int MR = 3;         // the result of the showing
    QString NameFolder; // the folder the question is about, set by the caller

    static constexpr int kCopyAll = 1;
    static constexpr int kCopyNothing = 7;
    static constexpr int kRefused = 3;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void FormShow();
    // The labels' fixed colours, or readable shades of them on a dark style's window.
    void colourLabels();
    void RzBitBtnOkClick();
    void RzBitBtnCloseClick();

    QLabel* RzLabel1 = nullptr;
    QLabel* RzLabel2 = nullptr;
    QLabel* RzLabelNameFolder = nullptr;
    QCheckBox* RzCheckBoxCopyAll = nullptr;
    QCheckBox* RzCheckBoxAll = nullptr;
};

} // namespace tarvela::ui
