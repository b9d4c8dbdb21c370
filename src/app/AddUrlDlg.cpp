#include "app/AddUrlDlg.h"

#include "base/Localization.h"
#include "ui/WidgetTranslation.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The dialog's text area: a paste replaces everything, a drop inserts.
class AddressEdit : public QPlainTextEdit {
  public:
    using QPlainTextEdit::QPlainTextEdit;

  protected:
    void dropEvent(QDropEvent* event) override {
        dropping_ = true;
        QPlainTextEdit::dropEvent(event);
        dropping_ = false;
    }
    void insertFromMimeData(const QMimeData* source) override {
        if (dropping_ || !source->hasText()) {
            QPlainTextEdit::insertFromMimeData(source);
            return;
        }
        setPlainText(source->text());
        moveCursor(QTextCursor::End);
    }

  private:
    bool dropping_ = false;
};

constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdPrompt = 1002;

} // namespace

AddUrlDlg::AddUrlDlg(QWidget* parent) : QDialog(parent), text_(new AddressEdit(this)) {
    setWindowTitle(TranslateText(QStringLiteral("Add video addresses")));
    setMinimumSize(520, 300);

    auto* prompt = new QLabel(TranslateText(QStringLiteral("Video page addresses, one per line:")), this);
    prompt->setProperty("ctrlId", kIdPrompt);
    text_->setProperty("ctrlId", kTextCtrlId);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setTabChangesFocus(true);
    text_->setPlaceholderText(QStringLiteral("https://"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    QPushButton* cancel = buttons->button(QDialogButtonBox::Cancel);
    ok->setProperty("ctrlId", kIdOk);
    cancel->setProperty("ctrlId", kIdCancel);
    // Enter belongs to the text area: no button takes it as a default.
    ok->setAutoDefault(false);
    ok->setDefault(false);
    cancel->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(text_, 1);
    layout->addWidget(buttons);
    WidgetTranslation::TranslateDialog(this, kTemplateId);
    text_->setFocus();
}

QStringList AddUrlDlg::Lines() const {
    return text_->toPlainText().split(QLatin1Char('\n'));
}

void AddUrlDlg::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept(); // only the buttons close the dialog
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}
