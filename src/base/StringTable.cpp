#include "base/StringTable.h"

#include <QHash>

#include <algorithm>

namespace {
const QHash<int, const char*>& Table() {
    static const QHash<int, const char*> table = {
        // Download steps and errors shown in the status column.
        {32872, "Download completed"},
        {32875, "Download stopped"},
        {32877, "Signing in..."},
        {32878, "Signed in"},
        {32879, "Confirming age..."},
        {32880, "Age confirmed"},
        {32881, "Downloading video..."},
        {32882, "Video downloaded"},
        {32883, "Reading video information..."},
        {32884, "Error: cannot find the video file address"},
        {32885, "Download failed"},
        {32886, "Sign-in failed"},
        {32887, "Age confirmation failed"},
        {32888, "Network error while downloading the video"},
        {32891, "No video file was found on this page."},
        {32903, "Setting site language..."},
        {32904, "The video is hosted on another site"},
        {32905, "Cannot set the site language"},
        {32906, "Verification code required: solve it in the browser window"},
        {32907, "Reading the video page..."},
        {32908, "Video page read"},
        {32909, "Please enter a web address that starts with http:// or https://."},
        {32910,
         "This address needs yt-dlp, which was not found. Install it with \"apt install yt-dlp\", or a "
         "newer one with \"pipx install yt-dlp\"."},
        {32911, "Reading the video information"},
        {32930, "The temporary file %s was replaced by another file; the download is not used."},
        {33150, "The site named a verification page outside its own addresses; it is not opened: %s"},
        {33151, "This page is not opened here: the program runs as root, where the browser cannot keep a "
                "page away from the system. Open it in your own browser: %s"},
        {32876, "No NicoVideo account is set. NicoVideo videos are downloaded without signing in; "
                "set an account in the options to download videos that need one."},
        {32831, "Download error: %s"},
        {32832, "Retrying download (%d)..."},
        // Start-up and the main window.
        {101, "About %s..."},
        {103, "The network functions could not be started. The program will now close."},
        {32798, "The output folder does not exist. Please choose a folder for the downloaded videos."},
        {32805, "Downloads are still running. Stop them and exit?"},
        // The task list: column headers, questions and messages.
        {278, "Title"},
        {261, "Duration"},
        {280, "Format"},
        {267, "Frame size"},
        {282, "FPS"},
        {283, "Status"},
        {309, "Stop the running downloads?"},
        {32782, "Please enter a web address that starts with http://."},
        {32788, "This file has no sound track."},
        {32804, "The file %s could not be read as a video. It may be damaged or of an unknown type."},
        {32827, "Downloading %s: %s of %s bytes"},
        // Options, output folder and the site tree.
        {32806, "Options"},
        {32813, "Choose the folder for downloaded videos"},
        {32814, "Output folder changed to %s"},
        {33305, "The output folder %s cannot be created. Downloads still go to %s."},
        // Refused values on the options pages.
        {61715, "Please enter an integer between %d and %d."},
        {61720, "Enter no more than %d characters."},
        {32802, "Downloaded on"},
        {32803, "File"},
        {32811, "Open the output folder"},
        {32812, "Options"},
        {32823, "Download tasks"},
        {32825, "History"},
        {32892, "NicoVideo"},
        {32960, "Folder"}, // caption of the site panel's output-folder button
        // Interface fonts: comma-separated candidates, first installed one wins.
        {32900, "DejaVu Sans, Liberation Sans, Noto Sans, Verdana"},
        {32901, "1.0"},
        {32902, "Noto Sans, DejaVu Sans, Liberation Sans, Tahoma"},
        // The update dialog.
        {250, "Checking for a new version of %s..."},
        {251, "%s - Check for updates"},
        {252, "The version check of %s failed. Please check your Internet connection and try again later."},
        {253, "Latest version: %s"},
        {254, "You are using the latest version."},
        {255, "Your version: %s"},
        {256, "A new version is available. Download it from the home page:"},
        // Tool tips of the preview panel's buttons.
        {32970, "Start the range here"},
        {32971, "End the range here"},
        {32972, "Play"},
        {32973, "Pause"},
        {32974, "Stop"},
        {32975, "Go to the start of the range"},
        {32976, "Go to the end of the range"},
        // The other sites and the yt-dlp program.
        {33100, "Other sites"},
        {33101, "Site"},
        {33102, "yt-dlp on PATH"},
        {33103, "Asking yt-dlp for its version..."},
        {33104, "yt-dlp version %s"},
        {33105, "yt-dlp was not found. Install it with apt install yt-dlp (a newer one with pipx "
                "install yt-dlp) or choose the program above."},
        {33106, "yt-dlp does not work: %s"},
        {33107, "This yt-dlp is more than 90 days old. Sites change often and an old yt-dlp stops "
                "reading them: update it with pipx upgrade yt-dlp or through your distribution's "
                "yt-dlp package."},
        {33108, "Choose the yt-dlp program"},
        {33120, "Reading the page: %s bytes received"},
        {33121, "The task list is full (%s rows): the remaining %s links were not added."},
        // Entered addresses, rows without a video, the history.
        {33300, "This text is longer than 32 KiB and is not taken as an address: a video page's "
                "address is never that long."},
        {33301, "These lines were not added: each line must be one web address that starts with "
                "http:// or https://."},
        {33302, "Not a video file"},
        {33303, "%s was saved, but the history could not record it: the history database could not "
                "be written (see the log)."},
        {33304, "The download history could not be read: the file is damaged or is not a history. It "
                "is kept unchanged as %s, and a new, empty history has been started."},
        {33306, "The downloads that were stopped have not ended yet, so nothing was started. Try again in "
                "a moment."},
        {33330, "Waiting..."},
        {33331, "Making %s..."},
        {33332, "Failed: %s"},
        {33333, "Stopped; nothing was kept"},
        {33334, "%s is ready"},
        // The desktop around the window.
        {33340, "Download this video?"},
        {33341, "Add"},
        {33342, "Add and start"},
        {33343, "Dismiss"},
        {33344, "Downloads finished"},
        {33345, "Videos saved: %s. Failed: %s."},
        {33346, "Open folder"},
        {33347, "No program on this desktop opened %s. Install a file manager or a web browser, or open "
                "it yourself."},
    };
    return table;
}
} // namespace

QList<int> BuiltinStringIds() {
    QList<int> ids = Table().keys();
    std::sort(ids.begin(), ids.end());
    return ids;
}

QString BuiltinString(int id) {
    const char* text = Table().value(id, nullptr);
    return text ? QString::fromUtf8(text) : QString();
}
