#pragma once
// The widgets of the main window and their look: the dark title area
// (logo, product name, menu bar, button strip), the body (site panel or its
// collapsed handle, the task list, the tips panel) and the footer (output
// folder box and the status line). The window's logic lives in CTrevaloDlg.
//
// Threads: main thread only.

#include <QList>
#include <QSize>
#include <QString>

class QDialog;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPainter;
class QSplitter;
class QToolButton;
class QVBoxLayout;
class QWidget;
class ElidedLabel;
class ResourceBundle;
class SiteTreePanel;
class SqliteConnection;
class TipsPanel;
class TitleButtonStrip;

// Numbers of the title-bar strip's buttons (reported with message 5025).
namespace StripButton {
inline constexpr int Minimize = 1;
inline constexpr int Maximize = 2;
inline constexpr int Close = 3;
inline constexpr int AddAddresses = 6;
inline constexpr int StartAll = 7;
inline constexpr int StopAsking = 8;
inline constexpr int SiteTree = 20;
} // namespace StripButton

class MainWindowWidgets {
  public:
    // Control identifiers of the main window's own controls (dialog 102).
    static constexpr int kOutputFolderLabelId = 1020;
    static constexpr int kOutputFolderBoxId = 1021;

    MainWindowWidgets(QDialog* window, ResourceBundle& bundle, SqliteConnection* history);

    // Puts the task list's view into the body.
    void SetTaskView(QWidget* view);
    // Puts the history list's view into the body, behind the task list.
    void SetHistoryView(QWidget* view);
    // Brings the history list (true) or the task list (false) to the front.
    void ShowHistoryView(bool history);
    bool IsHistoryViewShown() const;
    // Puts a bar across the window between the title area and the lists.
    void SetNoticeBar(QWidget* bar);
    // Puts the preview panel above the tips.
    void SetPreviewPanel(QWidget* panel);
    // Reloads the strip's and the logo's pictures (language change, window
    // state change).
    void ReloadImages(bool maximized);
    // Height of the dark title area, for painting the window's background.
    int HeaderHeight() const;
    // Tool tips of the strip's buttons in the current language.
    void RetranslateStrip();
    // The window's own surface: light body, dark title area, thin outline.
    void PaintBackground(QPainter& painter, QSize size) const;
    void SetSiteTreeVisible(bool visible);
    bool IsSiteTreeVisible() const;

    // The containers that make up the window's own surface.
    QList<QWidget*> Surfaces() const { return {header, body_, footer_}; }

    QWidget* header = nullptr;
    QLabel* logo = nullptr;
    QLabel* title = nullptr;
    QMenuBar* menuBar = nullptr;
    TitleButtonStrip* strip = nullptr;
    SiteTreePanel* siteTree = nullptr;
    QToolButton* siteTreeHandle = nullptr;
    QVBoxLayout* taskArea = nullptr;
    TipsPanel* tips = nullptr;
    QVBoxLayout* previewArea = nullptr; // the side column: preview, then tips
    QLabel* outputFolderLabel = nullptr;
    QLineEdit* outputFolder = nullptr;
    QToolButton* chooseFolder = nullptr;
    QToolButton* openFolder = nullptr;
    ElidedLabel* status = nullptr;
    QLabel* version = nullptr;

  private:
    QWidget* BuildHeader();
    QWidget* BuildBody(SqliteConnection* history);
    QWidget* BuildFooter();

    QDialog* window_;
    ResourceBundle& bundle_;
    QWidget* siteFrame_ = nullptr;
    QWidget* taskPanel_ = nullptr;
    QWidget* historyPanel_ = nullptr;
    QWidget* body_ = nullptr;
    QWidget* footer_ = nullptr;
};
