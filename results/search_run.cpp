#include "results/search_run.h"

#include <exception>
#include <iterator>

#include "results/background_run.h"
#include "results/search_feed.h"

namespace kalvor::results {

namespace {

// Counts as large as a search of a whole file share reaches, for the dialog's width.
constexpr std::uint64_t kLargestCount = 9'999'999;

scan::SearchOptions ParallelOptions(const SearchChoice& choice) {
    return {.jobs = scan::DefaultJobs(), .types = choice.types, .match = choice.match};
}

QString ProgressText(const scan::SearchProgress& progress) {
    return QStringLiteral("已搜索 %1 个文件夹，检查 %2 个 .doc 文件，找到 %3 个符合要求的文件")
        .arg(progress.foldersListed)
        .arg(progress.documentsExamined)
        .arg(progress.documentsMarked);
}

// The walk's failure told to the sink like the failures the walk tells itself.
void RunWalk(const FolderWalk& walk, const std::filesystem::path& folder,
             const SearchChoice& choice, SearchFeed& feed) {
    try {
        walk(folder, feed, ParallelOptions(choice));
    } catch (const std::exception& error) {
        feed.NoteSearchFailed(error.what());
    } catch (...) {
        feed.NoteSearchFailed("未知错误");
    }
}

}  // namespace

SearchOutcome RunSearch(QWidget* owner, const std::filesystem::path& folder,
                        const SearchChoice& choice, const FolderWalk& walk,
                        const std::function<void(const scan::ResultRow&)>& addRow) {
    SearchFeed feed;
    SearchOutcome outcome;
    const auto deliver = [&] {
        SearchNews news = feed.TakeNews();
        for (const scan::ResultRow& row : news.rows) {
            addRow(row);
        }
        std::move(news.notExamined.begin(), news.notExamined.end(),
                  std::back_inserter(outcome.notExamined));
        return ProgressText(news.progress);
    };
    outcome.cancelled = RunInBackground(
        owner,
        {.title = QStringLiteral("正在搜索"),
         .stopping = QStringLiteral("正在停止搜索……"),
         .widest = ProgressText({kLargestCount, kLargestCount, kLargestCount, 0})},
        [&] { RunWalk(walk, folder, choice, feed); }, deliver, [&] { feed.RequestStop(); });
    outcome.failure = feed.Failure();
    return outcome;
}

QString SearchSummary(const SearchOutcome& outcome, int rows) {
    if (outcome.failure.has_value()) {
        return QStringLiteral("搜索因错误提前结束（%1），已找到 %2 个符合要求的文件。")
            .arg(QString::fromStdString(*outcome.failure))
            .arg(rows);
    }
    if (outcome.cancelled) {
        return QStringLiteral("搜索已取消，已找到 %1 个符合要求的文件。").arg(rows);
    }
    return QStringLiteral("一共找到 %1 个符合要求的文件！").arg(rows);
}

}  // namespace kalvor::results
