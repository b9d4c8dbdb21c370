#pragma once
// The add-addresses dialog: one multi-line text area. The area's paste
// replaces its whole content with the clipboard's text; dropped text is
// inserted at the caret. Enter and Escape never close the dialog: only its
// buttons do. On OK, Lines() holds every line of the area in order.
//
// Threads: the window's thread only.

#include <QDialog>
#include <QStringList>

class QPlainTextEdit;

class AddUrlDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kTemplateId = 156;
    static constexpr int kTextCtrlId = 1001;

    explicit AddUrlDlg(QWidget* parent = nullptr);
    QStringList Lines() const;
    QPlainTextEdit* TextArea() const { return text_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QPlainTextEdit* text_;
};
