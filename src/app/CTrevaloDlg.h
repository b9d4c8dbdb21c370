#pragma once
// The main window: a frameless dialog with a rounded outline, the title-area
// button strip, menus and accelerators whose commands all pass their enabled
// test first, the task list, the tips panel, the output-folder box and the
// status line. It lives as long as the program: start-up runs it modally.
//
// Threads: main thread only. The update check reports from its own thread
// through a MessageTarget that queues the result onto this window.

#include "base/WindowPlacement.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>
#include <thread>

class AppSettings;
class ClipboardBar;
class CommandTable;
class DesktopShell;
class ReportingShell;
class CPreviewPanel;
class DownloadTaskList;
class HistoryList;
class FramelessFrame;
class MainWindowMenus;
class MainWindowWidgets;
class MessageTarget;
class PowerControl;
class QMenu;
class ResourceBundle;
class SiteTreePanel;
class SqliteConnection;
class TitleButtonStrip;
class UserPrompts;
struct VersionTriple;

class CTrevaloDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr int IDD = 102;
    static constexpr int kAccelerators = 248;
    static constexpr int kMinWidth = 999;
    static constexpr int kMinHeight = 600;

    CTrevaloDlg(AppSettings& settings, UserPrompts& prompts, PowerControl& power, ResourceBundle& bundle,
                SqliteConnection* history, QWidget* parent = nullptr);
    ~CTrevaloDlg() override;

    // Whether the start-up update check may run; replaceable so a test
    // decides instead of the machine's network state.
    std::function<bool()> connectionAvailable;
    // Whether the preview plays (or is paused): rows are not removed meanwhile.
    std::function<bool()> previewPlaying;
    // The desktop the folder and page commands open things on (replaceable
    // so tests never start a file manager or a browser).
    void SetDesktopShell(DesktopShell& shell) { shell_ = &shell; }

    // Addresses and files handed to the program (its command line, a later
    // start): added as dropped ones are, once the window is initialised.
    // Local files are absolute paths; anything else is taken as an address.
    void OpenItems(const QStringList& items);
    // Whether the user works in this window or one of its dialogs.
    bool IsInFront() const;
    // A later start asked for the window: shown, raised and activated.
    void BringToFront(const QString& activationToken);

    // Message 5025: a button of the title-area strip was pressed.
    void OnStripButton(int number);
    // A numbered command from any source; false when its test failed.
    bool ExecuteCommand(int id);
    bool IsCommandEnabled(int id) const;
    // Whether command `id` is registered, enabled or not.
    bool HasCommand(int id) const;
    // Recomputes the strip's start and stop buttons.
    void RefreshToolbar();
    void SetStatusText(const QString& text);
    QString StatusText() const;
    // True once the deferred initialisation (message 5026) has run.
    bool IsInitialized() const { return initialized_; }
    bool IsSiteTreeVisible() const;

    DownloadTaskList* TaskList() const { return taskList_.get(); }
    HistoryList* History() const { return historyList_.get(); }
    SiteTreePanel* SiteTree() const;
    // Whether the task list (not the history list) is in front.
    bool IsTaskListInFront() const;

  Q_SIGNALS:
    // The history list was loaded for another site node: the preview resets.
    void previewResetRequested();

  public:
    TitleButtonStrip* Strip() const;
    const MainWindowWidgets& Widgets() const { return *widgets_; }
    CPreviewPanel* Preview() const { return preview_; }
    ClipboardBar* Clipboard() const { return clipboardBar_; }
    QMenu* PreviewMenu() const { return previewMenu_; }

  Q_SIGNALS:
    // Message 5031: the language changed and the window shows it.
    void languageChanged();

  protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void OnInitDialog();
    // The clipboard bar and the end-of-batch notification (MainWindowDesktop.cpp).
    void ConnectDesktop();
    void OnDeferredInit();
    void OnVersionMessage(int msg, qintptr wParam, qintptr lParam);
    void OpenUpdateDialog(bool checkNow, VersionTriple latest);
    void OnLanguageChanged();
    void RegisterCommands();
    void LoadMenus();
    void LoadAccelerators();
    void RestorePlacement();
    void SavePlacement();
    StoredWindowState CurrentPlacement() const;
    // The close sequence; true when the window ends.
    bool CloseWindow();
    void ToggleMaximized();
    void SetSiteTreeVisible(bool visible);
    void ShowAbout();
    void OpenHelp();
    void OpenOutputFolder();
    void ChooseOutputFolder();
    void ShowOptions();
    // The folder typed into the box, checked and made as a chosen one is.
    void ApplyTypedOutputFolder();
    void NormalizeOutputBox();
    void ShowTaskContextMenu(const QPoint& pos);
    void ShowHistoryContextMenu(const QPoint& globalPos);
    void ConnectSiteTree();
    // Message 5027: the task list to the front.
    void OnShowTaskList();
    // Message 5028: the history of a site node (1000 to 1003) to the front;
    // any other node shows an empty list.
    void OnShowHistory(int itemData);

    AppSettings& settings_;
    UserPrompts& prompts_;
    PowerControl& power_;
    ResourceBundle& bundle_;
    SqliteConnection* history_;
    std::unique_ptr<MainWindowWidgets> widgets_;
    FramelessFrame* frame_ = nullptr;
    CommandTable* commands_ = nullptr;
    std::unique_ptr<MainWindowMenus> menus_;
    QMenu* previewMenu_ = nullptr; // the preview's right-click menu (the window owns it)
    std::unique_ptr<DownloadTaskList> taskList_;
    std::unique_ptr<HistoryList> historyList_;
    DesktopShell* shell_;
    std::unique_ptr<ReportingShell> reportingShell_; // shell_, failures in the status line
    CPreviewPanel* preview_ = nullptr;
    ClipboardBar* clipboardBar_ = nullptr;
    std::unique_ptr<MessageTarget> versionReceiver_;
    std::thread versionCheck_;
    StoredWindowState startPlacement_; // as stored when the window opened
    QStringList pendingItems_;         // handed over before the window was initialised
    bool initialized_ = false;
    bool ending_ = false;
};
