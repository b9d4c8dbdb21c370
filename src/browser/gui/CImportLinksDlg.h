#pragma once
// The link-import dialog: the address of a web page, or the path of a saved
// page or text file, typed or picked with the browse button. OK fetches or
// reads it on a thread of its own while a progress dialog shows the bytes
// received, and keeps every video link found (Links()); it closes with OK
// also when none was found. Cancel, in either dialog, finds nothing: the
// progress dialog's Cancel ends the fetch within a second.
//
// Threads: the window's thread only; the fetch runs on a thread that OK
// starts and joins, the window handling its events meanwhile.

#include <QDialog>
#include <QStringList>

#include <functional>

class QLineEdit;
class QPushButton;

class CImportLinksDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kTemplateId = 159;
    static constexpr int kBrowseCtrlId = 1021;
    static constexpr int kAddressCtrlId = 1022;
    static constexpr int kPromptCtrlId = 1023;
    // The file types the browse button offers, first one selected.
    static QString FileFilter();

    explicit CImportLinksDlg(QWidget* parent = nullptr);

    QString Address() const;
    const QStringList& Links() const { return links_; }
    QLineEdit* AddressEdit() const { return address_; }
    QPushButton* BrowseButton() const { return browse_; }

    // Asks for files to import (several may be picked); an empty list when
    // cancelled. The default is the desktop's file dialog; tests replace it.
    std::function<QStringList(QWidget* parent, const QString& filter)> pickFiles;

    void accept() override;

  private:
    void Browse();

    QLineEdit* address_;
    QPushButton* browse_;
    QStringList links_;
};
