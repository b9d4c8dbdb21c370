#include "app/StringTable.h"

#include <QHash>

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
        {32876, "No NicoVideo account is set. NicoVideo videos are downloaded without signing in; "
                "set an account in the options to download videos that need one."},
        {32831, "Download error: %s"},
        {32832, "Retrying download (%d)..."},
    };
    return table;
}
} // namespace

QString BuiltinString(int id) {
    const char* text = Table().value(id, nullptr);
    return text ? QString::fromUtf8(text) : QString();
}
