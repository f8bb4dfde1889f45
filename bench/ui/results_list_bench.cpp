// How the results list keeps up when a search finds very many documents, and when the user then
// drops every second row: prints, in milliseconds, the longest time the window could not react.
//
//   kalvor-results-bench [ROWS]

#include <QApplication>
#include <QElapsedTimer>
#include <QItemSelection>
#include <QItemSelectionModel>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "results/kalvor_view.h"
#include "results/results_model.h"

namespace {

using kalvor::results::CkalvorView;

// Rows reach the list the way a search delivers them: every 50 ms, all found since. A search of
// a share where nearly every document is marked finds about this many in that time.
constexpr int kRowsPerDelivery = 2000;

kalvor::scan::ResultRow RowFor(int index) {
    kalvor::scan::ResultRow row;
    row.path =
        "/share/folder-" + std::to_string(index / 40) + "/file-" + std::to_string(index) + ".doc";
    row.size = 20'000 + static_cast<std::uint64_t>(index);
    row.creationTime = 1246355102;   // 2009-06-30 17:45:02 in Shanghai
    row.lastWriteTime = 1262372645;  // 2010-01-02 03:04:05 in Shanghai
    return row;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100'000;

    CkalvorView view;
    view.resize(1100, 700);
    view.OnInitialUpdate();
    view.show();
    QApplication::processEvents();

    QElapsedTimer appending;
    appending.start();
    qint64 longestDelivery = 0;
    for (int first = 0; first < rows; first += kRowsPerDelivery) {
        QElapsedTimer delivery;
        delivery.start();
        for (int index = first; index < std::min(rows, first + kRowsPerDelivery); ++index) {
            view.AddResultRow(RowFor(index));
        }
        QApplication::processEvents();
        longestDelivery = std::max(longestDelivery, delivery.elapsed());
    }
    std::printf("append %d rows: %lld ms in all, longest delivery %lld ms\n", rows,
                static_cast<long long>(appending.elapsed()),
                static_cast<long long>(longestDelivery));

    QItemSelection everySecondRow;
    for (int row = 0; row < rows; row += 2) {
        everySecondRow.select(view.model()->index(row, 0), view.model()->index(row, 4));
    }
    view.selectionModel()->select(everySecondRow, QItemSelectionModel::Select);
    QElapsedTimer removing;
    removing.start();
    view.OnRemoveFromList();
    QApplication::processEvents();
    const qint64 removal = removing.elapsed();
    const int left = view.Results().rowCount();
    const bool numbered =
        left == rows / 2 && (left == 0 || view.Results().CellText(left - 1, 0).toInt() == left);
    std::printf("remove %d rows and renumber: %lld ms, %d rows left, %s\n", rows - left,
                static_cast<long long>(removal), left,
                numbered ? "numbered 1 to n" : "NUMBERED WRONGLY");
    return numbered ? 0 : 1;
}
