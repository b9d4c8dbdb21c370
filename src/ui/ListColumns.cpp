#include "ui/ListColumns.h"

#include <QHeaderView>
#include <QTableView>

#include <algorithm>
#include <vector>

namespace {
constexpr int kReserved = 22;
constexpr int kLastColumnMargin = 2;
constexpr int kHeadingPadding = 14;
constexpr int kMinFlexibleWidth = 80;
} // namespace

void FitListColumns(QTableView& view, std::span<const double> shares, std::span<const char* const> samples,
                    int flexible, const QStringList& lastSamples) {
    const int client = view.viewport()->width();
    const int base = std::max(0, client - kReserved);
    const int last = static_cast<int>(shares.size());
    const auto headingWidth = [&view](int column) {
        const QString text =
            view.model() ? view.model()->headerData(column, Qt::Horizontal).toString() : QString();
        return view.horizontalHeader()->fontMetrics().horizontalAdvance(text) + kHeadingPadding;
    };
    std::vector<int> widths(shares.size());
    int used = 0;
    for (int column = 0; column < last; ++column) {
        widths[column] = static_cast<int>(base * shares[column]);
        if (column > flexible) {
            const int sample =
                view.fontMetrics().horizontalAdvance(QLatin1String(samples[column])) + kHeadingPadding;
            widths[column] = std::max({widths[column], headingWidth(column), sample});
        }
        used += widths[column];
    }
    int lastNeeds = headingWidth(last);
    for (const QString& sample : lastSamples)
        lastNeeds = std::max(lastNeeds, view.fontMetrics().horizontalAdvance(sample) + kHeadingPadding);
    // Room for the last column comes from the long text first, then from
    // what the short columns have beyond their texts.
    int shortfall = lastNeeds - (client - used - kLastColumnMargin);
    const auto give = [&](int column, int floor) {
        const int taken = std::min(shortfall, std::max(0, widths[column] - floor));
        widths[column] -= taken;
        used -= taken;
        shortfall -= taken;
    };
    if (shortfall > 0)
        give(flexible, kMinFlexibleWidth);
    for (int column = last - 1; column > flexible && shortfall > 0; --column) {
        const int sample =
            view.fontMetrics().horizontalAdvance(QLatin1String(samples[column])) + kHeadingPadding;
        give(column, std::max(headingWidth(column), sample));
    }
    for (int column = 0; column < last; ++column)
        view.setColumnWidth(column, widths[column]);
    // Still too narrow (a small window with the site panel open): the last
    // column keeps its texts whole and the list scrolls sideways instead.
    view.setColumnWidth(last, std::max(lastNeeds, client - used - kLastColumnMargin));
}
