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
    const int shortfall = lastNeeds - (client - used - kLastColumnMargin);
    if (shortfall > 0) {
        const int taken = std::min(shortfall, std::max(0, widths[flexible] - kMinFlexibleWidth));
        widths[flexible] -= taken;
        used -= taken;
    }
    for (int column = 0; column < last; ++column)
        view.setColumnWidth(column, widths[column]);
    view.setColumnWidth(last, std::max(0, client - used - kLastColumnMargin));
}
