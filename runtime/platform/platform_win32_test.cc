// How the Windows platform opens files: the sharing each kind of open allows, and the
// system's error numbers passed through.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "runtime/platform/os_errors.h"
#include "runtime/platform/platform.h"
#include "tests/test_support.h"

namespace quorvex {
namespace {

using testing::ReadFileBytes;
using testing::ScratchDir;
using testing::WriteFileBytes;

// An open file, closed with this object.
struct OpenFile {
  OpenFile(const std::string& path, FileAccess access, unsigned share, FileDisposition disposition)
      : result(NativePlatform().Open(FileName(path), access, share, disposition)) {}
  ~OpenFile() {
    if (result.error == 0) NativePlatform().Close(OsHandle(result.value));
  }
  OsHandle handle() const { return OsHandle(result.value); }
  OsResult result;
};

TEST(Win32Platform, OpensAllowOnlyTheSharingTheyAskFor) {
  ScratchDir folder;
  const std::string form = (folder / "form.dfm").string();
  WriteFileBytes(form, "bytes");
  const auto kRead = FileAccess::kRead;
  const auto kExisting = FileDisposition::kOpenExisting;
  {
    OpenFile input(form, kRead, kShareNone, kExisting);
    ASSERT_EQ(input.result.error, 0u);
    EXPECT_EQ(OpenFile(form, kRead, kShareNone, kExisting).result.error, kErrorSharingViolation)
        << "a second run on the same form";
    EXPECT_EQ(OpenFile(form, kRead, kShareRead | kShareWrite, kExisting).result.error,
              kErrorSharingViolation);
  }
  {
    OpenFile text(form, kRead, kShareWrite, kExisting);
    EXPECT_EQ(OpenFile(form, FileAccess::kWrite, kShareRead | kShareWrite, kExisting).result.error,
              0u)
        << "a text file read by the tool may be written by others";
    EXPECT_EQ(OpenFile(form, kRead, kShareRead | kShareWrite, kExisting).result.error,
              kErrorSharingViolation);
  }
  {
    OpenFile output(form, FileAccess::kWrite, kShareRead, FileDisposition::kCreateAlways);
    ASSERT_EQ(output.result.error, 0u);
    EXPECT_EQ(OpenFile(form, kRead, kShareRead | kShareWrite, kExisting).result.error, 0u);
    EXPECT_EQ(OpenFile(form, FileAccess::kWrite, kShareRead | kShareWrite, kExisting).result.error,
              kErrorSharingViolation);
  }
  EXPECT_EQ(ReadFileBytes(form), "") << "creating truncates";
}

TEST(Win32Platform, PassesTheSystemErrorNumbersThrough) {
  ScratchDir folder;
  const auto open = [](const std::string& path) {
    return OpenFile(path, FileAccess::kRead, kShareNone, FileDisposition::kOpenExisting)
        .result.error;
  };
  EXPECT_EQ(open((folder / "missing.txt").string()), kErrorFileNotFound);
  EXPECT_EQ(open((folder / "none" / "missing.txt").string()), kErrorPathNotFound);
  EXPECT_EQ(open(folder.path().string()), kErrorAccessDenied) << "a folder is no file";
}

TEST(Win32Platform, ReadsWritesSeeksAndTellsTheKind) {
  ScratchDir folder;
  const std::string path = (folder / "data.bin").string();
  OpenFile file(path, FileAccess::kReadWrite, kShareNone, FileDisposition::kCreateAlways);
  ASSERT_EQ(file.result.error, 0u);
  Platform& system = NativePlatform();
  EXPECT_EQ(system.KindOf(file.handle()), FileKind::kDisk);
  EXPECT_EQ(system.Write(file.handle(), "a\x1A\r\nb", 5).value, 5);
  EXPECT_EQ(system.Seek(file.handle(), -4, kSeekFromEnd).value, 1);
  char buffer[8];
  OsResult got = system.Read(file.handle(), buffer, sizeof buffer);
  EXPECT_EQ(std::string(buffer, size_t(got.value)), "\x1A\r\nb") << "bytes are never translated";
  EXPECT_EQ(system.Read(file.handle(), buffer, sizeof buffer).value, 0);
  EXPECT_EQ(system.KindOf(kNoHandle), FileKind::kUnknown);
}

TEST(Win32Platform, NamesTheProgramAndItsCommandLine) {
  Platform& system = NativePlatform();
  const std::string module = system.ModulePath();
  EXPECT_NE(module.find("platform_tests"), std::string::npos) << module;
  EXPECT_NE(system.CommandLine().find("platform_tests"), std::string::npos);
  EXPECT_NE(system.LocaleDecimalPoint(), '\0');
}

}  // namespace
}  // namespace quorvex
