#include "cli/HistoryListing.h"

#include "cli/CliText.h"
#include "history/CppSQLite3Exception.h"
#include "history/HistoryDb.h"
#include "history/HistoryRowText.h"
#include "history/OtherSitesHistory.h"

namespace {

// The format column in upper case, as the history list shows it.
void AppendUpperPrintable(std::string& out, std::string_view utf8) {
    const size_t start = out.size();
    AppendPrintable(out, utf8);
    bool ascii = true;
    for (size_t i = start; i < out.size() && ascii; ++i)
        ascii = static_cast<unsigned char>(out[i]) < 0x80;
    if (ascii) {
        for (size_t i = start; i < out.size(); ++i)
            if (out[i] >= 'a' && out[i] <= 'z')
                out[i] = char(out[i] - 'a' + 'A');
        return;
    }
    out.resize(start);
    out += Printable(QString::fromUtf8(utf8.data()).toUpper()).toStdString();
}

} // namespace

HistoryListing::HistoryListing(FILE* out) : out_(out) {
    block_.reserve(kBlockBytes + 4096);
}

HistoryListing::~HistoryListing() {
    Flush();
}

void HistoryListing::SetCache(SqliteConnection* db) {
    if (db && !cacheSet_) {
        // The listing reads every page of the file once, so a page cache
        // only costs memory that is touched for the first time on every
        // page. A few pages reused over and over stay warm. Without the
        // setting the listing is only slower.
        cacheSet_ = true;
        try {
            db->Execute("PRAGMA cache_size=-64;");
        } catch (const CppSQLite3Exception&) {
        }
    }
}

void HistoryListing::AddRow(std::string_view label, const HistoryRowView& row) {
    block_ += label;
    block_ += '\t';
    AppendHistoryDateText(block_, row.dateText.data(), now_, today_);
    block_ += '\t';
    AppendDurationText(block_, row.lengthMs);
    block_ += '\t';
    AppendUpperPrintable(block_, row.videoFormat);
    block_ += '\t';
    AppendPrintable(block_, row.sizeText);
    block_ += '\t';
    AppendPrintable(block_, row.location);
    block_ += '\t';
    AppendPrintable(block_, row.siteUrl);
    block_ += '\n';
    if (block_.size() >= kBlockBytes)
        Flush();
    ++rows_;
}

bool HistoryListing::List(SqliteConnection* db, const QString& label) {
    SetCache(db);
    const std::string labelText = label.toStdString();
    return QueryHistoryRows(db, label, [&](const HistoryRowView& row) { AddRow(labelText, row); }) != 0;
}

bool HistoryListing::ListOtherSites(SqliteConnection* db) {
    SetCache(db);
    // A stored label is any text: printed as the other columns are.
    std::string label;
    return QueryOtherSitesRows(db, [&](const HistoryRowView& row, std::string_view stored) {
               label.clear();
               AppendPrintable(label, stored);
               AddRow(label, row);
           }) != 0;
}

void HistoryListing::Flush() {
    if (block_.empty())
        return;
    std::fwrite(block_.data(), 1, block_.size(), out_);
    std::fflush(out_);
    block_.clear();
}
