#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <array>
#include <cstdio>
#include <set>
#include <system_error>

#include "res/resource.h"
#include "results/kalvor_view.h"
#include "results/result_columns.h"
#include "results/results_model.h"
#include "tests/results/results_test_support.h"
#include "tests/support/temp_dir.h"

namespace kalvor::results {
namespace {

namespace fs = std::filesystem;
using scan::NotExaminedReason;
using testing::FakeDesktop;
using testing::FolderText;
using testing::RowFor;
using testing::TempDir;

// A search that reports what it is given, so that the list and the report hold names no file
// system test would make easily.
struct ScriptedSearch {
    std::vector<fs::path> marked;
    std::vector<NotExaminedFile> notExamined;

    scan::SearchProgress operator()(const fs::path&, scan::SearchSink& sink,
                                    const scan::SearchOptions&) const {
        for (const fs::path& path : marked) {
            sink.AddResultRow(RowFor(path));
        }
        for (const NotExaminedFile& entry : notExamined) {
            if (const auto* folder = std::get_if<scan::FolderNotListedReason>(&entry.reason)) {
                sink.NoteFolderNotListed(entry.path, *folder);
            } else {
                sink.NoteNotExamined(entry.path, std::get<NotExaminedReason>(entry.reason));
            }
        }
        return {.foldersListed = 1};
    }
};

// The records of an export as Python's csv module reads them; an empty line is an empty record.
QJsonArray ReadExport(const fs::path& file) {
    const fs::path reader = fs::path(KALVOR_TEST_DATA_DIR).parent_path() / "tools" / "read_rows.py";
    const std::string command =
        "/usr/bin/python3 '" + reader.native() + "' export '" + file.native() + "'";
    FILE* pipe = popen(command.c_str(), "r");
    std::string json;
    std::array<char, 4096> chunk;
    while (const std::size_t got = std::fread(chunk.data(), 1, chunk.size(), pipe)) {
        json.append(chunk.data(), got);
    }
    EXPECT_EQ(pclose(pipe), 0) << json;
    return QJsonDocument::fromJson(QByteArray::fromStdString(json)).array();
}

QJsonArray Record(const QStringList& fields) {
    return QJsonArray::fromStringList(fields);
}

class ResultExportTest : public ::testing::Test {
  protected:
    void Search(ScriptedSearch search) {
        view.SetFolderWalk(std::move(search));
        desktop.folderAnswers = {FolderText(temp.Path())};
        view.OnCommand(ID_FILE_OPEN);
    }

    bool Export(const fs::path& file) {
        desktop.saveAnswers = {FolderText(file)};
        const std::size_t messages = desktop.messages.size();
        view.OnCommand(ID_FILE_EXPORT);
        return desktop.messages.size() == messages;
    }

    TempDir temp;
    FakeDesktop desktop;
    CkalvorView view;
};

TEST_F(ResultExportTest, WritesTheRowsAsTheyStandAndTheReportForASpreadsheet) {
    if (!fs::exists("/usr/bin/python3")) {
        GTEST_SKIP() << "no python3";
    }
    const fs::path root = temp.Path();
    const std::vector<fs::path> marked = {root / "机密, \"一\".doc", root / "gone.doc",
                                          root / "line\nfeed\r\n.doc", root / "bad\xff.doc"};
    const std::vector<NotExaminedFile> report = {
        {root / "锁定,\"的\".doc", NotExaminedReason::Locked},
        {root / "closed\nfolder", scan::FolderNotListedReason::NoPermission}};
    const std::vector<ScriptedSearch> cases = {
        {{}, {}}, {marked, {}}, {{}, report}, {marked, report}};
    for (const ScriptedSearch& search : cases) {
        SCOPED_TRACE(std::to_string(search.marked.size()) + " rows, " +
                     std::to_string(search.notExamined.size()) + " not examined");
        Search(search);
        const bool hasRows = !search.marked.empty();
        if (hasRows) {
            view.selectRow(1);
            view.OnCommand(ID_REMOVE_FROM_LIST);
        }
        const bool somethingToExport = hasRows || !search.notExamined.empty();
        EXPECT_EQ(view.IsCommandAvailable(ID_FILE_EXPORT), somethingToExport);
        if (!somethingToExport) {
            continue;
        }

        const fs::path file = root / "报告.csv";
        ASSERT_TRUE(Export(file)) << desktop.messages.back().text.toStdString();
        QJsonArray expected;
        QStringList titles;
        for (const ResultColumn& column : kResultColumns) {
            titles << QString::fromUtf16(column.header).trimmed();
        }
        expected.append(Record(titles));
        for (int row = 0; row < view.Results().rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < view.Results().columnCount(); ++column) {
                cells << view.Results().CellText(row, column);
            }
            expected.append(Record(cells));
        }
        if (!search.notExamined.empty()) {
            expected.append(QJsonArray());
            expected.append(Record({"未能检查的文件或文件夹", "原因"}));
            for (const NotExaminedFile& entry : search.notExamined) {
                expected.append(Record({QString::fromStdString(entry.path.native()),
                                        QString::fromStdString(ReasonText(entry))}));
            }
        }
        EXPECT_EQ(ReadExport(file), expected);
    }
    EXPECT_EQ(desktop.saveTitles.back(), "导出结果");
}

// A small file system of its own, mounted for the test and filled to the brim.
class SmallFileSystem {
  public:
    explicit SmallFileSystem(const fs::path& where) : where_(where) {
        mounted_ = mount("kalvor-test", where.c_str(), "tmpfs", 0, "size=256k") == 0;
    }
    ~SmallFileSystem() {
        if (mounted_) {
            umount2(where_.c_str(), MNT_DETACH);
        }
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool Mounted() const { return mounted_; }

  private:
    fs::path where_;
    bool mounted_ = false;
};

std::set<fs::path> Entries(const fs::path& folder) {
    std::set<fs::path> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename());
    }
    return names;
}

// An export that does not fit, or cannot be written at all, says why and leaves the file it was
// to replace as it was and nothing beside it.
TEST_F(ResultExportTest, WritesTheWholeFileOrLeavesTheOldOne) {
    const fs::path disk = temp.MakeDir("disk");
    const SmallFileSystem small(disk);
    if (!small.Mounted()) {
        GTEST_SKIP() << "mounting a tmpfs needs root";
    }
    std::vector<fs::path> many;
    for (int i = 0; i < 2000; ++i) {
        many.push_back(temp.Path() / (std::string(120, 'x') + std::to_string(i) + ".doc"));
    }
    Search({many, {}});
    testing::WriteBytes(disk / "old.csv", std::vector<std::uint8_t>{'o', 'l', 'd'});
    const std::vector<std::pair<fs::path, std::errc>> cases = {
        {disk / "old.csv", std::errc::no_space_on_device},
        {disk / "new.csv", std::errc::no_space_on_device},
        {disk / "missing" / "new.csv", std::errc::no_such_file_or_directory},
    };
    for (const auto& [file, error] : cases) {
        SCOPED_TRACE(file.native());
        EXPECT_FALSE(Export(file));
        EXPECT_EQ(desktop.messages.back().text,
                  QStringLiteral("无法导出到“%1”：%2")
                      .arg(FolderText(file),
                           QString::fromStdString(std::make_error_code(error).message())));
        EXPECT_EQ(desktop.messages.back().caption, "导出结果");
        EXPECT_EQ(testing::FileContents(disk / "old.csv"), "old");
        EXPECT_EQ(Entries(disk), std::set<fs::path>{"old.csv"});
    }

    Search({{many.front()}, {}});
    EXPECT_TRUE(Export(disk / "old.csv"));
    EXPECT_EQ(testing::FileContents(disk / "old.csv").substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(Entries(disk), std::set<fs::path>{"old.csv"});
}

}  // namespace
}  // namespace kalvor::results
