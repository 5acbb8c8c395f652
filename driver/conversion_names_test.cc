#include "driver/conversion_names.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvex {
namespace {

struct Expected {
  const char* argument;
  bool is_form;
  const char* form;
  const char* text;
  const char* backup;
};

TEST(ConversionNames, DerivedFromTheFileNamePart) {
  const Expected cases[] = {
      {"form", true, "FORM.DFM", "FORM.TXT", "FORM.BAK"},
      {"Form.dfm", true, "FORM.DFM", "FORM.TXT", "FORM.BAK"},
      {"form.txt", false, "FORM.TXT", "FORM.TXT", "FORM.BAK"},
      {"form.bak", false, "FORM.BAK", "FORM.BAK", "FORM.~BA"},
      {"my.form.dfm", true, "MY.FORM.DFM", "MY.FORM.TXT", "MY.BAK"},
      {"a.dfm.txt", true, "A.DFM.TXT", "A.TXT.TXT", "A.BAK"},
      {"sub.d/form", true, "SUB.D/FORM.DFM", "SUB.D/FORM.TXT", "SUB.D/FORM.BAK"},
      {"x.dfm.d/f.txt", false, "X.DFM.D/F.TXT", "X.DFM.D/F.TXT", "X.DFM.D/F.BAK"},
      {"old.bak/a.txt", false, "OLD.BAK/A.TXT", "OLD.BAK/A.TXT", "OLD.BAK/A.BAK"},
      {"../forms/main.txt", false, "../FORMS/MAIN.TXT", "../FORMS/MAIN.TXT", "../FORMS/MAIN.BAK"},
      {"c:\\dir.x\\main", true, "C:\\DIR.X\\MAIN.DFM", "C:\\DIR.X\\MAIN.TXT",
       "C:\\DIR.X\\MAIN.BAK"},
  };
  for (const Expected& expected : cases) {
    ConversionNames names = DeriveConversionNames(expected.argument);
    EXPECT_EQ(names.is_form, expected.is_form) << expected.argument;
    EXPECT_EQ(names.form.name, expected.form) << expected.argument;
    EXPECT_EQ(names.text.name, expected.text) << expected.argument;
    EXPECT_EQ(names.backup.name, expected.backup) << expected.argument;
  }
}

TEST(ConversionNames, KeepTheTypedSpellingBesideTheDerivedOne) {
  ConversionNames names = DeriveConversionNames("Forms/Main.Dfm");
  EXPECT_EQ(names.text.name, "FORMS/MAIN.TXT");
  EXPECT_EQ(names.text.typed, "Forms/Main.TXT");
  EXPECT_EQ(names.backup.typed, "Forms/Main.BAK");
  EXPECT_EQ(names.form.typed, "Forms/Main.Dfm");
}

TEST(ConversionNames, LongNamesAreNeverCut) {
  std::string argument = std::string(300, 'a') + ".txt";
  ConversionNames names = DeriveConversionNames(argument);
  EXPECT_EQ(names.text.name, std::string(300, 'A') + ".TXT");
  EXPECT_EQ(names.backup.name, std::string(300, 'A') + ".BAK");
}

}  // namespace
}  // namespace quorvex
