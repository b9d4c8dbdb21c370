#pragma once
// The about box (dialog 100): logo, product name with version, maker.
//
// Threads: main thread only.

#include <QDialog>

class ResourceBundle;

class AboutDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr int IDD = 100;
    AboutDlg(ResourceBundle& bundle, QWidget* parent = nullptr);
};
