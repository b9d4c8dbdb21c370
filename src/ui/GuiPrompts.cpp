#include "ui/GuiPrompts.h"

#include "base/AppFolders.h"
#include "base/Localization.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QThread>

namespace {
// Runs `call` on the application's thread and returns its result.
template <typename Call> auto OnGuiThread(Call call) {
    if (QThread::currentThread() == qApp->thread())
        return call();
    decltype(call()) result{};
    QMetaObject::invokeMethod(
        qApp, [&] { result = call(); }, Qt::BlockingQueuedConnection);
    return result;
}

QMessageBox::Icon BoxIcon(UserPrompts::Icon icon) {
    switch (icon) {
    case UserPrompts::Icon::Information:
        return QMessageBox::Information;
    case UserPrompts::Icon::Warning:
        return QMessageBox::Warning;
    case UserPrompts::Icon::Question:
        return QMessageBox::Question;
    case UserPrompts::Icon::Error:
        return QMessageBox::Critical;
    case UserPrompts::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QString Caption() {
    return TranslateText(QLatin1String(kProductName));
}
} // namespace

void GuiPrompts::ShowMessage(const QString& text, Icon icon) {
    OnGuiThread([&] {
        QMessageBox box(BoxIcon(icon), Caption(), text, QMessageBox::Ok, QApplication::activeWindow());
        return box.exec();
    });
}

bool GuiPrompts::AskYesNo(const QString& text) {
    return OnGuiThread([&] {
        QMessageBox box(QMessageBox::Question, Caption(), text, QMessageBox::Yes | QMessageBox::No,
                        QApplication::activeWindow());
        return box.exec() == QMessageBox::Yes;
    });
}

UserPrompts::Answer GuiPrompts::AskYesNoCancel(const QString& text) {
    return OnGuiThread([&] {
        QMessageBox box(QMessageBox::Question, Caption(), text,
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QApplication::activeWindow());
        box.setDefaultButton(QMessageBox::Cancel);
        switch (box.exec()) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default: // closing the box is a cancel
            return Answer::Cancel;
        }
    });
}

std::optional<QString> GuiPrompts::PickFolder(const QString& title, const QString& start) {
    return OnGuiThread([&]() -> std::optional<QString> {
        const QString folder = QFileDialog::getExistingDirectory(QApplication::activeWindow(), title, start);
        if (folder.isEmpty())
            return std::nullopt;
        return folder;
    });
}
