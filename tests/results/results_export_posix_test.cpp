#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QFont>
#include <QHelpEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>
#include <QToolTip>
#include <array>
#include <cstdio>
#include <map>
#include <optional>
#include <set>

#include "res/resource.h"
#include "results/kalvor_view.h"
#include "results/path_text.h"
#include "results/result_columns.h"
#include "results/results_model.h"
#include "tests/results/results_test_support.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_mount.h"
#include "tests/support/unprivileged.h"

namespace kalvor::results {
namespace {

namespace fs = std::filesystem;
using scan::NotExaminedReason;
using testing::FakeDesktop;
using testing::FolderText;
using testing::RowFor;
using testing::TempDir;

// A search that reports what it is given, so that the list and the report hold names no file
// system test would make easily. Its rows carry `evidence` when they are asked to, as a real
// search's do; all but the first were read with `access`.
struct ScriptedSearch {
    std::vector<fs::path> marked;
    std::vector<NotExaminedFile> notExamined;
    std::vector<scan::EvidenceHit> evidence{};
    platform::FileAccess access = platform::FileAccess::Ordinary;

    scan::SearchProgress operator()(const fs::path&, scan::SearchSink& sink,
                                    const scan::SearchOptions& options) const {
        for (const fs::path& path : marked) {
            scan::ResultRow row = RowFor(path);
            if (options.evidence) {
                row.evidence = evidence;
            }
            if (path != marked.front()) {
                row.access = access;
            }
            sink.AddResultRow(std::move(row));
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

// What tests/tools/read_rows.py, which knows nothing of kalvor's code, makes of an export.
std::string ReadWithPython(const char* kind, const fs::path& file) {
    const fs::path reader = fs::path(KALVOR_TEST_DATA_DIR).parent_path() / "tools" / "read_rows.py";
    const std::string command =
        "/usr/bin/python3 '" + reader.native() + "' " + kind + " '" + file.native() + "'";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    std::array<char, 4096> chunk;
    while (const std::size_t got = std::fread(chunk.data(), 1, chunk.size(), pipe)) {
        output.append(chunk.data(), got);
    }
    EXPECT_EQ(pclose(pipe), 0) << output;
    return output;
}

// The records of an export as Python's csv module reads them; an empty line is an empty record.
QJsonArray ReadExport(const fs::path& file) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(ReadWithPython("export", file)))
        .array();
}

// The exact path of each row of an export, as a script gets it back from the record.
std::vector<std::string> ExportedPaths(const fs::path& file) {
    std::vector<std::string> paths;
    const std::string output = ReadWithPython("export-paths", file);
    for (std::size_t start = 0, end; (end = output.find('\0', start)) != std::string::npos;
         start = end + 1) {
        paths.push_back(output.substr(start, end - start));
    }
    return paths;
}

QJsonArray Record(const QStringList& fields) {
    return QJsonArray::fromStringList(fields);
}

class ResultExportTest : public ::testing::Test {
  protected:
    void Search(ScriptedSearch search) {
        view.SetFolderSearch(std::move(search));
        desktop.folderAnswers = {FolderText(temp.Path())};
        view.OnCommand(ID_FILE_OPEN);
    }

    bool Export(const fs::path& file) {
        desktop.saveAnswers = {FolderText(file)};
        const std::size_t warnings = desktop.warnings.size();
        view.OnCommand(ID_FILE_EXPORT);
        return desktop.warnings.size() == warnings;
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
        {root / "锁定,\"的\".doc", scan::FileRefusal::Locked},
        {root / "closed\nfolder", scan::FolderNotListedReason::NoPermission}};
    // A marking in a header, then a mention: the row's grade is its strongest hit's.
    std::vector<scan::EvidenceHit> evidence(2);
    evidence[0].marking = u"机密";
    evidence[0].after = u"★10年";
    evidence[0].place = scan::EvidencePlace::HeaderFooter;
    evidence[0].grade = scan::EvidenceGrade::Marking;
    evidence[1].marking = u"秘密";
    evidence[1].before = u"保守商业";
    evidence[1].place = scan::EvidencePlace::Body;
    evidence[1].grade = scan::EvidenceGrade::Mention;
    // Only a report in which some file was read otherwise than every file is has a column saying
    // how each was read.
    const std::vector<ScriptedSearch> cases = {
        {{}, {}},
        {marked, {}, evidence},
        {{}, report},
        {marked, report, evidence},
        {marked, {}, evidence, platform::FileAccess::ReadOnly},
        {marked, report, evidence, platform::FileAccess::InUse}};
    const std::map<platform::FileAccess, QString> accessWords = {
        {platform::FileAccess::Ordinary, ""},
        {platform::FileAccess::ReadOnly, "只读"},
        {platform::FileAccess::InUse, "被其他程序占用"}};
    for (const ScriptedSearch& search : cases) {
        SCOPED_TRACE(std::to_string(search.marked.size()) + " rows, " +
                     std::to_string(search.notExamined.size()) + " not examined, access " +
                     std::to_string(static_cast<int>(search.access)));
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
        const bool exported = Export(file);
        EXPECT_TRUE(exported) << desktop.warnings.back().text.toStdString();
        if (!exported) {
            continue;
        }
        QJsonArray expected;
        QStringList titles;
        for (const ResultColumn& column : kResultColumns) {
            titles << QString::fromUtf16(column.header).trimmed();
        }
        titles << "判断"
               << "位置"
               << "上下文"
               << "文件名已转义";
        const bool withAccess = search.access != platform::FileAccess::Ordinary;
        if (withAccess) {
            titles << "读取方式";
        }
        expected.append(Record(titles));
        for (int row = 0; row < view.Results().rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < static_cast<int>(kResultColumns.size()); ++column) {
                cells << view.Results().CellText(row, column);
            }
            cells << "标志"
                  << "页眉页脚"
                  << "【机密】★10年";
            const scan::ResultRow& shown = view.Results().RowAt(row);
            cells << (ShowPath(shown.path).escaped ? "1" : "0");
            if (withAccess) {
                cells << accessWords.at(shown.access);
            }
            expected.append(Record(cells));
        }
        if (!search.notExamined.empty()) {
            expected.append(QJsonArray());
            expected.append(Record({"未能检查的文件或文件夹", "原因", "文件名已转义"}));
            const std::array<QString, 2> shown = {FolderText(root) + "/锁定,\"的\".doc",
                                                  FolderText(root) + "/closed\\nfolder"};
            for (std::size_t i = 0; i < search.notExamined.size(); ++i) {
                expected.append(
                    Record({shown.at(i), QString::fromStdString(ReasonText(search.notExamined[i])),
                            i == 0 ? "0" : "1"}));
            }
        }
        EXPECT_EQ(ReadExport(file), expected);
    }
    EXPECT_EQ(desktop.saveTitles.back(), "导出结果");
}

// A name that a cell cannot show as it is shows, in its cell and tooltip, the way kalvor-scan
// writes it and marked as escaped; the export flags it so that a script gets the exact name back;
// the actions still reach the file itself.
TEST_F(ResultExportTest, ANameShowsAndExportsExactlyAndItsFileIsStillTheOneActedOn) {
    if (!fs::exists("/usr/bin/python3")) {
        GTEST_SKIP() << "no python3";
    }
    struct NameForm {
        std::string name;
        std::string shown;
        bool escaped;
    };
    // Those shown as they are first: a tooltip, once shown, takes a while to go.
    const std::vector<NameForm> forms = {
        {"机密 文件.doc", "机密 文件.doc", false},
        {"back\\slash.doc", "back\\slash.doc", false},
        {"line\nfeed.doc", "line\\nfeed.doc", true},
        {"tab\tand back\\slash.doc", "tab\\tand back\\\\slash.doc", true},
        {"bad\xff\xfe.doc", "bad\\xff\\xfe.doc", true},
        {"bell\x07.doc", "bell\\x07.doc", true},
        {"para\xe2\x80\xa9graph.doc", "para\\u2029graph.doc", true},
    };
    std::vector<fs::path> files;
    for (const NameForm& form : forms) {
        files.push_back(temp.WriteText(form.name, form.name));
    }
    Search({files, {}});
    view.OnInitialUpdate();
    view.resize(1100, 500);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    const fs::path report = temp.Path() / "报告.csv";
    ASSERT_TRUE(Export(report));
    const std::vector<std::string> exported = ExportedPaths(report);
    ASSERT_EQ(exported.size(), forms.size());

    for (int row = 0; row < static_cast<int>(forms.size()); ++row) {
        const NameForm& form = forms[static_cast<std::size_t>(row)];
        SCOPED_TRACE(form.shown);
        const QString cell = FolderText(temp.Path()) + u'/' + QString::fromStdString(form.shown);
        const QModelIndex index = view.model()->index(row, kPathColumn);
        EXPECT_EQ(index.data().toString(), cell);
        EXPECT_EQ(index.data(Qt::FontRole).value<QFont>().italic(), form.escaped);
        const QPoint inside = view.visualRect(index).center();
        QHelpEvent help(QEvent::ToolTip, inside, view.viewport()->mapToGlobal(inside));
        QApplication::sendEvent(view.viewport(), &help);
        const QString tip = QToolTip::isVisible() ? QToolTip::text() : QString();
        if (form.escaped) {
            EXPECT_TRUE(tip.startsWith(cell + u'\n') && tip.contains(u"转义")) << tip.toStdString();
        } else {
            EXPECT_EQ(tip, QString());
        }

        EXPECT_EQ(exported[static_cast<std::size_t>(row)],
                  files[static_cast<std::size_t>(row)].native());

        view.selectRow(row);
        view.OnCommand(ID_SHELL_OPEN);
        ASSERT_FALSE(desktop.opened.empty());
        EXPECT_EQ(desktop.opened.back(), files[static_cast<std::size_t>(row)]);
    }
}

std::set<fs::path> Entries(const fs::path& folder) {
    std::set<fs::path> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename());
    }
    return names;
}

// An export that does not fit, or cannot be written at all, says why in the window's words and
// leaves the file it was to replace as it was and nothing beside it.
TEST_F(ResultExportTest, WritesTheWholeFileOrLeavesTheOldOneAndSaysWhy) {
    const fs::path disk = temp.MakeDir("disk");
    // Filled to the brim by the many rows below.
    const testing::TestMount small = testing::TestMount::Tmpfs(disk, 0, "size=256k");
    if (!small.Mounted()) {
        GTEST_SKIP() << "mounting a tmpfs needs root";
    }
    std::vector<fs::path> many;
    for (int i = 0; i < 2000; ++i) {
        many.push_back(temp.Path() / (std::string(120, 'x') + std::to_string(i) + ".doc"));
    }
    Search({many, {}});
    testing::WriteBytes(disk / "old.csv", std::vector<std::uint8_t>{'o', 'l', 'd'});
    // Open to all but the folder kept from them.
    fs::permissions(temp.Path(), fs::perms::all);
    fs::permissions(disk, fs::perms::all);
    const fs::path locked = temp.MakeDir("locked");
    fs::permissions(locked, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                fs::perms::others_read | fs::perms::others_exec);
    struct Case {
        fs::path file;
        QString reason;
        bool asAnotherUser;
    };
    const std::vector<Case> cases = {
        {disk / "old.csv", "磁盘空间不足", false},
        {disk / "new.csv", "磁盘空间不足", false},
        {disk / "missing" / "new.csv", "文件夹不存在或无法访问", false},
        {disk / "old.csv" / "new.csv", "文件夹不存在或无法访问", false},
        {locked / "new.csv", "没有权限", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.native());
        const auto warn = [&] {
            return Export(c.file) ? std::string() : desktop.warnings.back().text.toStdString();
        };
        const std::optional<std::string> warning =
            c.asAnotherUser ? testing::RunUnprivileged(warn) : warn();
        EXPECT_TRUE(warning.has_value());
        if (!warning.has_value()) {
            continue;
        }
        EXPECT_EQ(QString::fromStdString(*warning),
                  QStringLiteral("无法导出到“%1”：%2").arg(FolderText(c.file), c.reason));
        EXPECT_EQ(testing::FileContents(disk / "old.csv"), "old");
        EXPECT_EQ(Entries(disk), std::set<fs::path>{"old.csv"});
        EXPECT_TRUE(fs::is_empty(locked));
    }
    EXPECT_EQ(desktop.warnings.back().caption, "导出结果");

    Search({{many.front()}, {}});
    EXPECT_TRUE(Export(disk / "old.csv"));
    EXPECT_EQ(testing::FileContents(disk / "old.csv").substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(Entries(disk), std::set<fs::path>{"old.csv"});
}

}  // namespace
}  // namespace kalvor::results
