#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <vector>

#include "platform/directory_listing.h"
#include "platform/exclusive_file.h"
#include "platform/opened_folders.h"
#include "tests/support/temp_dir.h"

namespace kalvor::platform {
namespace {

namespace fs = std::filesystem;

struct FolderCase {
    const char* name;
    fs::path path;
    std::optional<FileIdentity> identity;
    bool held;
};

TEST(OpenedFolders, HoldsAFolderOnlyWhileItIsTheOneTheWalkListed) {
    const testing::TempDir dir;
    const fs::path folder = dir.MakeDir("folder");
    const std::optional<FileIdentity> listed = IdentityOf(folder);
    ASSERT_TRUE(listed.has_value());
    const std::vector<FolderCase> cases = {
        {"the folder listed", folder, listed, true},
        {"a folder whose identity the walk could not ask", folder, std::nullopt, true},
        {"another folder at its path now", folder,
         FileIdentity{.device = listed->device, .inode = listed->inode + 1}, false},
        {"no folder there", dir.Path() / "missing", std::nullopt, false},
        {"a file there", dir.WriteText("a.doc", "text"), std::nullopt, false},
    };
    for (const FolderCase& c : cases) {
        SCOPED_TRACE(c.name);
        OpenedFolders folders;
        const std::shared_ptr<const OpenedFolder> held = folders.Get(c.path, c.identity);
        EXPECT_EQ(held != nullptr, c.held);
        EXPECT_EQ(folders.Get(c.path, c.identity), held);
    }
}

TEST(OpenedFolders, ADocumentIsOpenedInTheFolderHeldWhereverItsPathLeadsNow) {
    const testing::TempDir dir;
    const fs::path folder = dir.MakeDir("folder");
    const fs::path document = dir.WriteText("folder/a.doc", "text");
    OpenedFolders folders;
    const std::shared_ptr<const OpenedFolder> held = folders.Get(folder, IdentityOf(folder));
    ASSERT_NE(held, nullptr);
    fs::rename(folder, dir.Path() / "moved");
    EXPECT_NE(ExclusiveFile::Open(document, ListedAs::PlainFile, nullptr, {}, held.get()).file,
              nullptr);
    EXPECT_EQ(ExclusiveFile::Open(document, ListedAs::PlainFile).file, nullptr);
}

}  // namespace
}  // namespace kalvor::platform
