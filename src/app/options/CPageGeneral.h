#pragma once
// The general options page: the output folder (with Browse and Open), the
// power-off flag and the clipboard watch. Browse and Open clean the typed folder and create it
// first; only OK stores anything in the settings.
//
// Threads: main thread only.

#include "app/options/OptionsPage.h"

#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;

class CPageGeneral : public OptionsPage {
    Q_OBJECT
  public:
    static constexpr int IDD = 154;
    static constexpr int kFolderId = 1194;
    static constexpr int kShutdownId = 1012;
    static constexpr int kBrowseId = 1195;
    static constexpr int kOpenId = 1196;
    static constexpr int kWatchClipboardId = 1305;
    static constexpr int kMaxFolderLength = 260;

    CPageGeneral(AppSettings& settings, UserPrompts& prompts, QWidget* parent = nullptr);

    bool Validate() override;
    void StoreSettings() override;

    // Cleans the folder text, shows the result and creates the folder.
    void NormalizeFolder();
    void Browse();
    void OpenFolder();

    // Shows a folder in the file manager; replaceable so tests open nothing.
    std::function<void(const QString& folder)> showFolder;

    QLineEdit* Folder() const { return folder_; }
    QCheckBox* Shutdown() const { return shutdown_; }
    QCheckBox* WatchClipboard() const { return watchClipboard_; }
    QPushButton* BrowseButton() const { return browse_; }

  protected:
    void LoadSettings() override;

  private:
    QLineEdit* folder_;
    QCheckBox* shutdown_;
    QCheckBox* watchClipboard_;
    QPushButton* browse_;
    QPushButton* open_;
};
