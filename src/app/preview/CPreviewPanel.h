#pragma once
// The preview panel of the main window: plays the shown task's file with
// mplayer in slave mode inside its own video window, shows the position and
// the task's marked range on a bar, and offers seven buttons (range start
// here, range end here, play, pause, stop, go to range start, go to range
// end).
//
// Slave commands go to mplayer's standard input; its answers to
// "get_percent_pos", asked every 10 ms while playing, move the bar, and the
// first tick that finds mplayer gone returns the panel to stopped.
// Stopping interrupts mplayer and waits at most kStopWaitMs for it before it
// is killed, so a stuck player never hangs the window and no mplayer
// outlives the panel.
//
// Threads: main thread only. The player's reader thread appends mplayer's
// output inside CMPlayerProcess, which guards it.

#include <QByteArray>
#include <QWidget>

#include <functional>
#include <memory>

class AppSettings;
class CMPlayerProcess;
class PreviewButtonBar;
class CPreviewSlider;
class ResourceBundle;
class VideoRendererWindow;
struct DownloadTask;

class CPreviewPanel : public QWidget {
    Q_OBJECT
  public:
    enum PlayState { Stopped = 0, Paused = 1, Playing = 2 };
    enum Button { MarkInHere = 0, MarkOutHere, PlayButton, PauseButton, StopButton, GoToIn, GoToOut };
    static constexpr int kVideoAreaId = 1005;
    static constexpr int kPollIntervalMs = 10;
    static constexpr int kStopWaitMs = 3000;
    // The size that gives the video area mplayer's 320x240 picture.
    static constexpr int kPreferredWidth = 336, kPreferredHeight = 305;

    CPreviewPanel(ResourceBundle& bundle, const AppSettings& settings, QWidget* parent = nullptr);
    ~CPreviewPanel() override;

    // Stops playback, shows `task` (null clears) and its range, and enables
    // the buttons that apply to it. The task is not owned.
    void ShowTask(DownloadTask* task);
    // 0: stop and disable everything (a batch runs); 1: enable again for the
    // shown task.
    void EnableControls(int flag);
    // restart 1: play, or resume when paused; 0: always start afresh.
    void Play(int restart);
    void TogglePause();
    void StopPlayback();
    void SetMarkIn();
    void SetMarkOut();
    void GoToMarkIn();
    void GoToMarkOut();
    // What a click on button `index` does.
    void OnButton(int index);
    // Tool tips in the current language.
    void Retranslate();

    int State() const { return state_; }
    DownloadTask* Task() const { return task_; }
    CPreviewSlider* Slider() const { return slider_; }
    PreviewButtonBar* Buttons() const { return buttons_; }
    QWidget* VideoArea() const { return videoArea_; }
    VideoRendererWindow* VideoWindow() const { return video_; }
    // The running mplayer's process id, 0 without one.
    qint64 PlayerProcessId() const;

    // Test seam: sees every slave command as it is written.
    std::function<void(const QByteArray&)> commandSent;

  Q_SIGNALS:
    void marksChanged();              // a mark of the shown task changed
    void layoutToggled(int expanded); // a double click on the panel

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void LayoutChildren();
    void UpdateBar();
    void TakeTaskRange();
    void EnableTaskButtons(bool enable);
    bool StartPlayer();
    void StartPollTimer();
    void KillPollTimer();
    void OnPollTick();
    void RawToggle();
    void Seek();
    void SeekTo(qint64 ms);
    void Send(const QByteArray& command);
    void CopyMarksToTask();
    void EndPlayer();

    ResourceBundle& bundle_;
    const AppSettings& settings_;
    int state_ = Stopped;
    PreviewButtonBar* buttons_;
    QWidget* videoArea_;
    CPreviewSlider* slider_;
    std::unique_ptr<CMPlayerProcess> player_;
    VideoRendererWindow* video_ = nullptr;
    DownloadTask* task_ = nullptr;
    qint64 length100ns_ = 0;
    int pollTimer_ = 0;
    int layoutFlag_ = 0;
};
