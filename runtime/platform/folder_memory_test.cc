// What the platform layer remembers of folders between calls.
#include "runtime/platform/folder_memory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorvex {
namespace {

using Names = std::vector<std::string>;

// A folder whose listing counts how often it is taken.
struct CountedFolder {
  Names names;
  int listings = 0;

  FolderMemory::Lister Lister() {
    return [this](Names& out) {
      ++listings;
      out = names;
      return true;
    };
  }
};

TEST(FolderMemory, ListsAFolderOnceAndFollowsTheChangesNotedSince) {
  FolderMemory memory;
  CountedFolder folder{{"Main.txt", "MAIN.TXT", "other.dfm"}};
  const FolderId id{1, 2};
  EXPECT_EQ(memory.CaseVariants(7, id, "main.TXT", folder.Lister()),
            (Names{"Main.txt", "MAIN.TXT"}));
  EXPECT_EQ(memory.CaseVariants(7, id, "OTHER.DFM", folder.Lister()), Names{"other.dfm"});
  EXPECT_EQ(folder.listings, 1);

  memory.Added(7, id, "New.bak");
  memory.Added(7, id, "New.bak");
  memory.Removed(7, id, "MAIN.TXT");
  memory.Removed(7, id, "other.dfm");
  EXPECT_EQ(memory.CaseVariants(7, id, "NEW.BAK", folder.Lister()), Names{"New.bak"});
  EXPECT_EQ(memory.CaseVariants(7, id, "MAIN.TXT", folder.Lister()), Names{"Main.txt"});
  EXPECT_EQ(memory.CaseVariants(7, id, "OTHER.DFM", folder.Lister()), Names{});
  EXPECT_EQ(memory.CaseVariants(7, FolderId{1, 3}, "OTHER.DFM", folder.Lister()),
            Names{"other.dfm"})
      << "another folder is listed for itself";
  EXPECT_EQ(folder.listings, 2);

  memory.ForgetEntries(7, id);
  EXPECT_EQ(memory.CaseVariants(7, id, "NEW.BAK", folder.Lister()), Names{});
  EXPECT_EQ(folder.listings, 3) << "a forgotten folder is listed again";
  memory.Added(8, id, "New.bak");
  EXPECT_EQ(memory.CaseVariants(8, id, "MAIN.TXT", folder.Lister()).size(), 2u);
  EXPECT_EQ(folder.listings, 4) << "a new generation starts with nothing";
  for (int i = 0; i < 2; ++i) memory.CaseVariants(0, id, "MAIN.TXT", folder.Lister());
  EXPECT_EQ(folder.listings, 6) << "without a generation every question lists";
}

TEST(FolderMemory, RemembersFolderSpellingsUntilToldOtherwise) {
  FolderMemory memory;
  memory.RememberFolder(3, "A/B a/b", {"a/B", {1, 9}});
  ASSERT_TRUE(memory.Folder(3, "A/B a/b").has_value());
  EXPECT_EQ(memory.Folder(3, "A/B a/b")->path, "a/B");
  EXPECT_FALSE(memory.Folder(3, "A/C a/c").has_value());
  memory.ForgetFolders(3);
  EXPECT_FALSE(memory.Folder(3, "A/B a/b").has_value());
  memory.RememberFolder(3, "A/B a/b", {"a/B", {1, 9}});
  EXPECT_FALSE(memory.Folder(4, "A/B a/b").has_value());
  memory.RememberFolder(0, "A/B a/b", {"a/B", {1, 9}});
  EXPECT_FALSE(memory.Folder(0, "A/B a/b").has_value()) << "nothing is kept without a generation";
}

}  // namespace
}  // namespace quorvex
