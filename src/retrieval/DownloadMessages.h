#pragma once
// Notifications the download worker posts to the main window, and the status
// codes it posts for a row. Numbers are fixed: the window's handlers and the
// language files depend on them.

// wParam / lParam packing:
//   UM_DOWNLOAD_PROGRESS  per-mille 0..1000      / row
//   UM_DOWNLOAD_ITEM_DONE 0                      / row
//   UM_DOWNLOAD_STATUS    0 (text in the post)   / (status code << 16) | (row & 0xFFFF)
//   UM_DOWNLOAD_ALL_DONE  0                      / 0
//   UM_DOWNLOAD_RETRY     retry number (1 first) / row
//   UM_DOWNLOAD_STOPPED   0                      / 0
//   UM_DOWNLOAD_TITLE     row                    / 0
//   UM_DOWNLOAD_ENTRIES   row                    / number of entries (read with the row's state)
inline constexpr int UM_DOWNLOAD_PROGRESS = 5121;
inline constexpr int UM_DOWNLOAD_ITEM_DONE = 5122;
inline constexpr int UM_DOWNLOAD_STATUS = 5123;
inline constexpr int UM_DOWNLOAD_ALL_DONE = 5124;
inline constexpr int UM_DOWNLOAD_RETRY = 5125;
inline constexpr int UM_DOWNLOAD_STOPPED = 5126;
inline constexpr int UM_DOWNLOAD_TITLE = 5127;
inline constexpr int UM_DOWNLOAD_ENTRIES = 5128;

// Status codes: below 200 progress steps, 200 and above errors. The extractor
// result 205 ("follow another address") shares its number with a status.
namespace DownloadStatus {
inline constexpr int SigningIn = 100;
inline constexpr int SignedIn = 101;
inline constexpr int ConfirmingAge = 102;
inline constexpr int AgeConfirmed = 103;
inline constexpr int DownloadBegins = 104;
inline constexpr int DownloadEnded = 105;
inline constexpr int SiteStep = 108;
inline constexpr int Finished = 110;
inline constexpr int Stopped = 111;
inline constexpr int SiteStepText = 112;
inline constexpr int Error = 200;
inline constexpr int Failed = 201;
inline constexpr int SiteError = 202;
inline constexpr int Error203 = 203;
inline constexpr int MediaFailed = 204;
inline constexpr int FollowAnotherAddress = 205;
inline constexpr int Error206 = 206;
inline constexpr int CaptchaRequired = 207;
inline constexpr int SignInRequired = 208;

// The status code and row packed into UM_DOWNLOAD_STATUS's lParam, and back.
constexpr long long Pack(int code, int row) {
    return (static_cast<long long>(code) << 16) | (row & 0xFFFF);
}
constexpr int CodeOf(long long lParam) {
    return static_cast<int>(lParam >> 16);
}
constexpr int RowOf(long long lParam) {
    return static_cast<int>(lParam & 0xFFFF);
}
} // namespace DownloadStatus
