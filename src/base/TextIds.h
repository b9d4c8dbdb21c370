#pragma once
// The numbers of the program's texts, as LoadText takes them. They are the
// keys of section STRING of every language file and of the built-in English
// table (StringTable.cpp), so a number never changes. Each name says what the
// English text says.

namespace TextId {
// The main window.
inline constexpr int AboutItem = 101; // "About %s..."
inline constexpr int OutputFolderMissing = 32798;
inline constexpr int StopAndExitQuestion = 32805;
inline constexpr int ChooseOutputFolderTitle = 32813;
inline constexpr int OutputFolderChanged = 32814; // "Output folder changed to %s"
inline constexpr int OutputFolderNotMade = 33305; // "The output folder %s cannot be created. ..."

// The task list: column headers (the first column has none).
inline constexpr int TitleHeader = 278;
inline constexpr int DurationHeader = 261;
inline constexpr int FormatHeader = 280;
inline constexpr int FrameSizeHeader = 267;
inline constexpr int FpsHeader = 282;
inline constexpr int StatusHeader = 283;

// The task list: questions, messages and status lines.
inline constexpr int StopDownloadsQuestion = 309;
inline constexpr int OnlyHttp = 32782;       // "Please enter a web address that starts with http://."
inline constexpr int OnlyWebAddress = 32909; // "... starts with http:// or https://."
inline constexpr int NoSoundTrack = 32788;
inline constexpr int NotAVideo = 32804;        // "The file %s could not be read as a video. ..."
inline constexpr int DownloadingBytes = 32827; // "Downloading %s: %s of %s bytes"
inline constexpr int DownloadError = 32831;    // "Download error: %s"
inline constexpr int RetryingDownload = 32832; // "Retrying download (%d)..."

// The history list's column headers, besides the task list's.
inline constexpr int FileHeader = 32803;
inline constexpr int DownloadedOnHeader = 32802;

// The site panel.
inline constexpr int TasksRoot = 32823;     // "Download tasks"
inline constexpr int HistoryRoot = 32825;   // "History"
inline constexpr int NicoVideoSite = 32892; // the site's name as the language writes it
inline constexpr int OpenOutputFolderTip = 32811;
inline constexpr int FolderButton = 32960;  // "Folder"
inline constexpr int OptionsButton = 32812; // "Options": caption and tool tip

// The options window: its caption and the refusals of its pages.
inline constexpr int OptionsCaption = 32806;
inline constexpr int IntegerRange = 61715;  // "Please enter an integer between %d and %d."
inline constexpr int StringTooLong = 61720; // "Enter no more than %d characters."

// The preview panel's button tool tips, one per button in order, from
// "Start the range here" to "Go to the end of the range".
inline constexpr int FirstPreviewToolTip = 32970;

// The update dialog.
inline constexpr int UpdateChecking = 250;      // "Checking for a new version of %s..."
inline constexpr int UpdateDialogTitle = 251;   // "%s - Check for updates"
inline constexpr int UpdateCheckFailed = 252;   // "The version check of %s failed. ..."
inline constexpr int UpdateLatestVersion = 253; // "Latest version: %s"
inline constexpr int UpdateUpToDate = 254;      // "You are using the latest version."
inline constexpr int UpdateYourVersion = 255;   // "Your version: %s"
inline constexpr int UpdateNewVersion = 256;    // "A new version is available. ..."

// Interface fonts: comma-separated candidates, and the scale.
inline constexpr int UiFont = 32902;
inline constexpr int UiFontAlt = 32900;
inline constexpr int UiFontScale = 32901;

// Download steps shown in a row's status column.
inline constexpr int DownloadCompleted = 32872;
inline constexpr int DownloadStopped = 32875;
inline constexpr int SigningIn = 32877;
inline constexpr int SignedIn = 32878;
inline constexpr int ConfirmingAge = 32879;
inline constexpr int AgeConfirmed = 32880;
inline constexpr int DownloadingVideo = 32881;
inline constexpr int VideoDownloaded = 32882;
inline constexpr int ReadingVideoInfo = 32883;
inline constexpr int SettingSiteLanguage = 32903;
inline constexpr int ReadingVideoPage = 32907;
inline constexpr int VideoPageRead = 32908;
inline constexpr int ReadingMediaInfo = 32911; // "Reading the video information"

// Download errors shown in a row's status column.
inline constexpr int NoMediaAddress = 32884; // "Error: cannot find the video file address"
inline constexpr int DownloadFailed = 32885;
inline constexpr int SignInFailed = 32886;
inline constexpr int AgeConfirmationFailed = 32887;
inline constexpr int NetworkError = 32888;
inline constexpr int HostedElsewhere = 32904; // "The video is hosted on another site"
inline constexpr int CannotSetSiteLanguage = 32905;
inline constexpr int VerificationCodeRequired = 32906;
inline constexpr int NoMediaOnPage = 32891; // "No video file was found on this page."
// "The temporary file %s was replaced by another file; the download is not used."
inline constexpr int TemporaryFileReplaced = 32930;
inline constexpr int NeedsYtDlp = 32910; // "This address needs yt-dlp, ... apt install yt-dlp ..."

// Status codes 100 to 103, 200 to 204 and 205 to 207 take consecutive texts:
// code 100 + k the text StatusTextsFrom100 + k, and so on.
inline constexpr int StatusTextsFrom100 = SigningIn;
inline constexpr int StatusTextsFrom200 = NoMediaAddress;
inline constexpr int StatusTextsFrom205 = HostedElsewhere;

// Shown once when NicoVideo has no account set.
inline constexpr int NicoVideoAccountNotice = 32876;

// The other sites, read through yt-dlp: the site panel's node and column,
// and the yt-dlp program on the online options page.
inline constexpr int OtherSitesNode = 33100; // "Other sites": every site read through yt-dlp
inline constexpr int SiteHeader = 33101;     // "Site": the other sites' list column
inline constexpr int YtDlpOnPath = 33102;    // "yt-dlp on PATH": the empty path field
inline constexpr int YtDlpChecking = 33103;
inline constexpr int YtDlpVersionShown = 33104; // "yt-dlp version %s"
inline constexpr int YtDlpNotFound = 33105;     // "yt-dlp was not found. Install it with ..."
inline constexpr int YtDlpBroken = 33106;       // "yt-dlp does not work: %s"
inline constexpr int YtDlpOutdated = 33107;     // "This yt-dlp is more than 90 days old. ..."
inline constexpr int ChooseYtDlpTitle = 33108;

// The link import.
inline constexpr int ImportReceived = 33120;     // "Reading the page: %s bytes received"
inline constexpr int ImportTaskListFull = 33121; // "The task list is full (%s rows): %s links ..."

// Entered addresses, rows without a video, the history.
inline constexpr int AddressTooLong = 33300;    // "This text is longer than 32 KiB ..."
inline constexpr int BadAddressLines = 33301;   // "These lines were not added: ...", the lines follow
inline constexpr int NotAVideoShort = 33302;    // "Not a video file" (a row's status)
inline constexpr int HistoryNotWritten = 33303; // "%s was saved, but the history could not record it ..."
inline constexpr int HistorySetAside = 33304;   // "The download history could not be read ... kept as %s ..."
inline constexpr int StartRefused = 33306;      // "The downloads that were stopped have not ended yet ..."

// Media actions in the window.
inline constexpr int ActionWaiting = 33330; // "Waiting..." (a row's status)
inline constexpr int ActionRunning = 33331; // "Making %s..."
inline constexpr int ActionFailed = 33332;  // "Failed: %s"
inline constexpr int ActionStopped = 33333; // "Stopped; nothing was kept"
inline constexpr int ActionDone = 33334;    // "%s is ready"

// The desktop around the window: the clipboard bar, the notification at the
// end of a batch, requests no program on the desktop answered.
inline constexpr int ClipboardOffer = 33340;     // "Download this video?"
inline constexpr int ClipboardAdd = 33341;       // "Add"
inline constexpr int ClipboardAddStart = 33342;  // "Add and start"
inline constexpr int ClipboardDismiss = 33343;   // "Dismiss"
inline constexpr int BatchEndedTitle = 33344;    // "Downloads finished"
inline constexpr int BatchEndedCounts = 33345;   // "Videos saved: %s. Failed: %s."
inline constexpr int OpenFolderAction = 33346;   // "Open folder"
inline constexpr int NothingAnswered = 33347;    // "No program on this desktop opened %s. ..."

// Pages the browser dialog does not open: one off the site, any page but the
// local simulator's while the program runs as root.
inline constexpr int VerificationOffSite = 33150;  // "The site named a verification page outside ...: %s"
inline constexpr int BrowserRefusedAsRoot = 33151; // "... runs as root ... Open it in your own browser: %s"
} // namespace TextId
