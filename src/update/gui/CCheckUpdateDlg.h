#pragma once
// The update dialog: the program's own version, and either a check started
// when it opens (check-now form) or a newer version already known (the form
// the start-up check opens). While it is open it is the update check's
// receiver; closing it clears the receiver, so a check still running drops
// its result.
//
// Threads: the window's thread only. The check runs on its own thread and
// reaches the dialog only through a posted message.

#include "update/CheckVersion.h"

#include <QDialog>

#include <memory>
#include <thread>

class GuiMessageTarget;
class QLabel;

class CCheckUpdateDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kLinkId = 1000;
    static constexpr int kHeadingId = 1001;
    static constexpr int kCurrentId = 1005;
    static constexpr int kLatestId = 1006;
    static constexpr int kStatusId = 1007;

    // `checkNow` starts the check at once; otherwise `latest` is shown as
    // the newer version.
    CCheckUpdateDlg(bool checkNow, VersionTriple current, VersionTriple latest = {},
                    QWidget* parent = nullptr);
    ~CCheckUpdateDlg() override;

    // The maker's home page, where new versions are offered.
    static QString HomePage();
    // The label with control identifier `id`.
    QLabel* Control(int id) const;
    VersionTriple Latest() const { return latest_; }

    void done(int result) override;

  protected:
    bool event(QEvent* event) override;

  private:
    void OnVersionMessage(int msg, qintptr wParam, qintptr lParam);
    void ShowLatest(bool newer);
    void ReleaseReceiver();

    const bool checkNow_;
    const VersionTriple current_;
    VersionTriple latest_;
    QString heading_;
    QLabel* link_;
    QLabel* headingLabel_;
    QLabel* currentLine_;
    QLabel* latestLine_;
    QLabel* statusLine_;
    std::unique_ptr<GuiMessageTarget> receiver_;
    std::thread check_;
};
