#include "results/search_run.h"

#include <exception>
#include <iterator>

#include "report/reason_texts.h"
#include "results/background_run.h"
#include "results/path_text.h"
#include "results/search_feed.h"

namespace kalvor::results {

namespace {

// Counts as large as a search of a whole file share reaches, for the dialog's width.
constexpr std::uint64_t kLargestCount = 9'999'999;

scan::SearchOptions ParallelOptions(const SearchChoice& choice) {
    return {.jobs = scan::DefaultJobs(),
            .types = choice.types,
            .match = choice.match,
            .evidence = true,
            .include = choice.include};
}

QString ProgressText(const scan::SearchProgress& progress, const QString& documents) {
    return QStringLiteral("已搜索 %1 个文件夹，检查 %2 个%3，找到 %4 个符合要求的文件")
        .arg(progress.foldersListed)
        .arg(progress.documentsExamined)
        .arg(documents)
        .arg(progress.documentsMarked);
}

QString RowsSummary(const SearchOutcome& outcome, int rows) {
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

// The search's failure told to the sink like the failures the search tells itself.
void RunFolderSearch(const scan::FolderSearch& search, const std::filesystem::path& folder,
                     const SearchChoice& choice, SearchFeed& feed) {
    try {
        search(folder, feed, ParallelOptions(choice));
    } catch (const std::exception& error) {
        feed.NoteSearchFailed(error.what());
    } catch (...) {
        feed.NoteSearchFailed("未知错误");
    }
}

}  // namespace

SearchOutcome RunSearch(QWidget* owner, const std::filesystem::path& folder,
                        const SearchChoice& choice, const scan::FolderSearch& search,
                        const std::function<void(const scan::ResultRow&)>& addRow) {
    SearchFeed feed;
    SearchOutcome outcome;
    const QString documents = DocumentsNoun(choice.types);
    const auto deliver = [&] {
        SearchNews news = feed.TakeNews();
        for (const scan::ResultRow& row : news.rows) {
            addRow(row);
        }
        std::move(news.notExamined.begin(), news.notExamined.end(),
                  std::back_inserter(outcome.notExamined));
        outcome.progress = news.progress;
        return BackgroundProgress{.label = ProgressText(news.progress, documents)};
    };
    outcome.cancelled = RunInBackground(
        owner,
        {.title = QStringLiteral("正在搜索"),
         .stopping = QStringLiteral("正在停止搜索……"),
         .widest = ProgressText({kLargestCount, kLargestCount, kLargestCount, 0}, documents)},
        [&] { RunFolderSearch(search, folder, choice, feed); }, deliver,
        [&] { feed.RequestStop(); });
    outcome.failure = feed.Failure();
    return outcome;
}

QString SearchSummary(const SearchOutcome& outcome, int rows, const scan::DocumentTypes& types) {
    const QString counts = NotSearchedCounts(outcome.notExamined, types);
    if (counts.isEmpty()) {
        return RowsSummary(outcome, rows);
    }
    // A count of what was found must not pass for the whole story.
    return RowsSummary(outcome, rows) + QStringLiteral("\n另有 %1，详见状态栏。").arg(counts);
}

std::optional<QString> FolderNotSearched(const SearchOutcome& outcome) {
    if (outcome.failure.has_value() || outcome.cancelled || outcome.progress.foldersListed > 0 ||
        outcome.notExamined.empty()) {
        return std::nullopt;
    }
    // Nothing was listed, so the one folder that could not be is the chosen one.
    const NotExaminedFile& chosen = outcome.notExamined.front();
    const auto* reason = std::get_if<scan::FolderNotListedReason>(&chosen.reason);
    if (reason == nullptr) {
        return std::nullopt;
    }
    return QStringLiteral("无法搜索所选的文件夹（%1），其中的文件均未检查：\n%2")
        .arg(QString::fromUtf8(report::ReasonDescription(*reason)), DisplayText(chosen.path));
}

}  // namespace kalvor::results
