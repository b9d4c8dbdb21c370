#include "app/preview/CPreviewPanel.h"

#include "app/preview/CPreviewSlider.h"
#include "app/preview/PreviewButtonBar.h"
#include "app/preview/VideoRendererWindow.h"
#include "base/AppLog.h"
#include "base/AppSettings.h"
#include "base/Localization.h"
#include "base/TextIds.h"
#include "history/DownloadTask.h"
#include "mediatools/CMPlayerOpts.h"
#include "mediatools/CMPlayerProcess.h"
#include "ui/ResourceBundle.h"
#include "ui/WidgetTranslation.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QTimerEvent>
#include <QToolButton>

namespace {
constexpr int kPanelBitmap = 170, kVideoAreaBitmap = 171;
// Tool tips of the seven buttons, in button order.
constexpr const char* kCategory = "CPreviewPanel";

// "seek <seconds with two decimals> 2": an absolute jump. Formatted without
// the user's locale, which may write a decimal comma mplayer cannot read.
QByteArray SeekCommand(qint64 ms) {
    return "seek " + QByteArray::number(ms * 0.001, 'f', 2) + " 2\n";
}
} // namespace

CPreviewPanel::CPreviewPanel(ResourceBundle& bundle, const AppSettings& settings, QWidget* parent)
    : QWidget(parent), bundle_(bundle), settings_(settings), buttons_(new PreviewButtonBar(bundle, this)),
      videoArea_(new QWidget(this)), slider_(new CPreviewSlider(bundle, this)) {
    setObjectName(QStringLiteral("previewPanel"));
    WidgetTranslation::SetCtrlId(videoArea_, kVideoAreaId);
    videoArea_->installEventFilter(this);
    connect(buttons_, &PreviewButtonBar::buttonClicked, this, &CPreviewPanel::OnButton);
    connect(slider_, &CPreviewSlider::positionClicked, this, [this] { Seek(); });
    setMinimumSize(kPreferredWidth, kPreferredHeight);
    LayoutChildren();
    video_ = new VideoRendererWindow(videoArea_);
    video_->hide();
    Retranslate();
}

CPreviewPanel::~CPreviewPanel() {
    KillPollTimer();
    EndPlayer();
}

qint64 CPreviewPanel::PlayerProcessId() const {
    return player_ ? player_->ProcessId() : 0;
}

void CPreviewPanel::Retranslate() {
    for (int i = 0; i < PreviewButtonBar::kButtonCount; ++i)
        buttons_->Button(i)->setToolTip(LoadText(TextId::FirstPreviewToolTip + i));
}

// ---- layout and painting ----

void CPreviewPanel::LayoutChildren() {
    const int w = width(), h = height();
    buttons_->setGeometry(3, h - 35, 256, 34);
    slider_->setGeometry(7, h - 51, w - 14, 15);
    videoArea_->setGeometry(8, 8, w - 16, h - 65);
    if (state_ != Stopped && video_ && video_->isVisible())
        video_->setGeometry(0, 0, w - 16, h - 65);
    update();
}

void CPreviewPanel::resizeEvent(QResizeEvent*) {
    LayoutChildren();
}

void CPreviewPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(rect(), bundle_.Bitmap(kPanelBitmap, size(), devicePixelRatioF()));
}

bool CPreviewPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == videoArea_ && event->type() == QEvent::Paint && state_ == Stopped) {
        QPainter painter(videoArea_);
        painter.drawPixmap(videoArea_->rect(),
                           bundle_.Bitmap(kVideoAreaBitmap, videoArea_->size(), devicePixelRatioF()));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void CPreviewPanel::mouseDoubleClickEvent(QMouseEvent*) {
    layoutFlag_ = !layoutFlag_;
    Q_EMIT layoutToggled(layoutFlag_);
}

// ---- the task and the controls ----

void CPreviewPanel::EnableTaskButtons(bool enable) {
    for (int b : {PlayButton, MarkInHere, MarkOutHere, GoToIn, GoToOut})
        buttons_->SetButtonEnabled(b, enable);
    // An empty range leaves nothing to mark or go to.
    if (enable && task_ && task_->markOutMs == task_->markInMs)
        for (int b : {MarkInHere, MarkOutHere, GoToIn, GoToOut})
            buttons_->SetButtonEnabled(b, false);
}

void CPreviewPanel::TakeTaskRange() {
    slider_->SetLength(task_->lengthMs);
    // A negative mark keeps the bar's previous one.
    if (task_->markInMs >= 0)
        slider_->SetMarkIn(task_->markInMs);
    if (task_->markOutMs >= 0)
        slider_->SetMarkOut(task_->markOutMs);
}

void CPreviewPanel::ShowTask(DownloadTask* task) {
    if (state_ != Stopped)
        StopPlayback();
    task_ = task;
    if (!task_ || task_->state == DownloadTask::Pending) {
        EnableTaskButtons(false);
        slider_->SetBarEnabled(false);
        slider_->SetLength(0);
        slider_->update();
        return;
    }
    TakeTaskRange();
    EnableTaskButtons(true);
    UpdateBar();
}

void CPreviewPanel::UpdateBar() {
    if (!task_ || task_->lengthMs == 0)
        return;
    slider_->SetPosition(static_cast<int>(static_cast<qint64>(task_->markInMs) * 100 / task_->lengthMs));
    length100ns_ = 0;
    slider_->SetBarEnabled(false);
    slider_->update();
    length100ns_ = static_cast<qint64>(task_->lengthMs) * 10000;
    if (length100ns_ > 0) {
        slider_->SetBarEnabled(true);
        slider_->update();
    }
    Seek();
}

void CPreviewPanel::EnableControls(int flag) {
    if (!video_)
        return;
    if (flag) {
        // Only a shown local file has anything to play or mark.
        if (!task_ || task_->state == DownloadTask::Pending)
            return;
        TakeTaskRange();
        EnableTaskButtons(true);
        UpdateBar();
        return;
    }
    if (state_ != Stopped)
        StopPlayback();
    EnableTaskButtons(false);
    slider_->SetBarEnabled(false);
    slider_->update();
    slider_->SetLength(0);
}

void CPreviewPanel::OnButton(int index) {
    switch (index) {
    case MarkInHere:
        SetMarkIn();
        break;
    case MarkOutHere:
        SetMarkOut();
        break;
    case PlayButton:
        Play(1);
        break;
    case PauseButton:
        TogglePause();
        break;
    case StopButton:
        StopPlayback();
        break;
    case GoToIn:
        GoToMarkIn();
        break;
    case GoToOut:
        GoToMarkOut();
        break;
    default:
        break;
    }
}

// ---- playback ----

void CPreviewPanel::Play(int restart) {
    if (!video_ || (task_ && task_->state == DownloadTask::Pending))
        return;
    if (state_ == Playing || (state_ == Paused && restart == 0))
        StopPlayback();
    video_->show();
    if (state_ == Paused) {
        RawToggle();
        StartPollTimer();
        buttons_->SetButtonEnabled(PauseButton, true);
        buttons_->SetButtonEnabled(PlayButton, false);
        return;
    }
    if (!StartPlayer()) {
        video_->hide(); // stopped: the area shows its own picture again
        return;
    }
    buttons_->SetButtonEnabled(PlayButton, false);
    buttons_->SetButtonEnabled(StopButton, true);
    buttons_->SetButtonEnabled(PauseButton, true);
    StartPollTimer();
    update();
    video_->setGeometry(videoArea_->rect());
}

bool CPreviewPanel::StartPlayer() {
    if (!task_)
        return false;
    CMPlayerOpts opts;
    // mplayer draws into X windows only: on another window system (a
    // Wayland session without XWayland) it plays in a window of its own, and
    // without an X server it picks a video output it can open there.
    const bool embedded = QGuiApplication::platformName() == QLatin1String("xcb");
    const bool xServer = !qEnvironmentVariableIsEmpty("DISPLAY");
    SetPreviewOptions(opts, task_->location, embedded ? static_cast<quint64>(video_->winId()) : 0,
                      xServer ? settings_.MPLAYER_VO : QString(), settings_.VOLUME_NORM,
                      settings_.OUT_VOLUME);
    if (!embedded) {
        opts.RemoveOption(QStringLiteral("-wid"));
        opts.RemoveOption(QStringLiteral("-colorkey"));
    }
    LogInfoW(kCategory, opts.BuildCommandLine());
    if (!player_)
        player_ = std::make_unique<CMPlayerProcess>(/*progressParsing=*/0, /*fixedBuffer=*/1);
    if (!player_->Open(opts.BuildArguments())) {
        player_.reset();
        return false;
    }
    state_ = Playing;
    if (slider_->MarkIn() != 0)
        SeekTo(slider_->MarkIn());
    return true;
}

void CPreviewPanel::StartPollTimer() {
    KillPollTimer();
    pollTimer_ = startTimer(kPollIntervalMs, Qt::PreciseTimer);
}

void CPreviewPanel::KillPollTimer() {
    if (pollTimer_)
        killTimer(pollTimer_);
    pollTimer_ = 0;
}

void CPreviewPanel::timerEvent(QTimerEvent* event) {
    if (event->timerId() == pollTimer_)
        OnPollTick();
    else
        QWidget::timerEvent(event);
}

void CPreviewPanel::OnPollTick() {
    if (!player_) {
        slider_->SetPosition(0);
        return;
    }
    if (player_->IsRunning()) {
        Send("get_percent_pos\n");
        const int percent = player_->GetPercentPos();
        if (percent >= 0) {
            slider_->SetPosition(length100ns_ == 0 ? 0 : percent);
            slider_->update();
        }
        return;
    }
    // mplayer has ended: the end of the file, or a failure after the start.
    StopPlayback();
    slider_->update();
}

void CPreviewPanel::RawToggle() {
    if (!player_ || !player_->IsRunning())
        return;
    Send("pause\n");
    state_ = state_ == Playing ? Paused : Playing;
}

void CPreviewPanel::TogglePause() {
    if (state_ == Paused) {
        RawToggle();
        StartPollTimer();
        buttons_->SetButtonEnabled(PauseButton, true);
        buttons_->SetButtonEnabled(PlayButton, false);
    } else if (state_ == Playing) {
        KillPollTimer();
        RawToggle();
        buttons_->SetButtonEnabled(PauseButton, false);
        buttons_->SetButtonEnabled(PlayButton, true);
    }
}

void CPreviewPanel::EndPlayer() {
    if (!player_)
        return;
    // SIGINT asks mplayer to end; one that ignores it is killed by Close.
    player_->Stop();
    if (!player_->WaitForReader(kStopWaitMs))
        LogWarn(kCategory, "mplayer did not end when asked; killing it");
    player_->Close();
    player_.reset();
}

void CPreviewPanel::StopPlayback() {
    KillPollTimer();
    EndPlayer();
    state_ = Stopped;
    if (video_)
        video_->hide();
    update();
    videoArea_->update();
    buttons_->SetButtonEnabled(PlayButton, true);
    buttons_->SetButtonEnabled(StopButton, false);
    buttons_->SetButtonEnabled(PauseButton, false);
    slider_->SetPosition(0);
    slider_->update();
}

void CPreviewPanel::Seek() {
    if (!player_ || !player_->IsRunning() || state_ != Playing)
        return;
    SeekTo(length100ns_ * slider_->Position() / 100 / 10000);
}

void CPreviewPanel::SeekTo(qint64 ms) {
    Send(SeekCommand(ms));
}

void CPreviewPanel::Send(const QByteArray& command) {
    if (commandSent)
        commandSent(command);
    player_->WriteText(command);
}

// ---- marks ----

void CPreviewPanel::CopyMarksToTask() {
    task_->markInMs = slider_->MarkIn();
    task_->markOutMs = slider_->MarkOut();
}

void CPreviewPanel::SetMarkIn() {
    if (!task_)
        return;
    slider_->SetMarkIn(static_cast<int>(length100ns_ / 10000 * slider_->Position() / 100));
    slider_->update();
    CopyMarksToTask();
    Q_EMIT marksChanged();
}

void CPreviewPanel::SetMarkOut() {
    if (!task_ || task_->lengthMs == 0)
        return;
    slider_->SetMarkOut(static_cast<int>(length100ns_ / 10000 * slider_->Position() / 100));
    slider_->SetPosition(static_cast<int>(static_cast<qint64>(slider_->MarkIn()) * 100 / task_->lengthMs));
    Seek();
    slider_->update();
    CopyMarksToTask();
    Q_EMIT marksChanged();
}

void CPreviewPanel::GoToMarkIn() {
    if (!task_ || task_->lengthMs == 0)
        return;
    int p = static_cast<int>(static_cast<qint64>(slider_->MarkIn()) * 100 / task_->lengthMs);
    if (p == slider_->Position())
        p = 0;
    slider_->SetPosition(p);
    Seek();
    slider_->update();
}

void CPreviewPanel::GoToMarkOut() {
    if (!task_ || task_->lengthMs == 0)
        return;
    int p = static_cast<int>(static_cast<qint64>(slider_->MarkOut()) * 100 / task_->lengthMs);
    if (p == slider_->Position())
        p = 100;
    slider_->SetPosition(p);
    Seek();
    slider_->update();
}
