#include "driver/conversion_names.h"

#include "runtime/ascii.h"

namespace quorvex {
namespace {

// Where the file-name part of a name starts.
size_t FileNameStart(const std::string& name) {
  size_t separator = name.find_last_of("/\\");
  return separator == std::string::npos ? 0 : separator + 1;
}

// The upper-cased name and the same name as typed, edited in step so that both keep the same
// length and differ only in letter case.
struct Spellings {
  std::string upper;
  std::string typed;

  size_t Find(const std::string& what) const { return upper.find(what, FileNameStart(upper)); }
  void Append(const std::string& what) {
    upper += what;
    typed += what;
  }
  void Erase(size_t position, size_t count) {
    upper.erase(position, count);
    typed.erase(position, count);
  }
  void CutAt(size_t position) {
    upper.resize(position);
    typed.resize(position);
  }
  FileName Name() const { return FileName(upper, typed); }
};

Spellings BackupOf(Spellings text) {
  bool backup_input = text.Find(".BAK") != std::string::npos;
  size_t dot = text.Find(".");
  if (dot != std::string::npos) text.CutAt(dot);
  text.Append(backup_input ? ".~BA" : ".BAK");
  return text;
}

}  // namespace

ConversionNames DeriveConversionNames(const std::string& argument) {
  Spellings form{UpperCasedAscii(argument), argument};
  if (form.Find(".") == std::string::npos) form.Append(".DFM");
  Spellings text = form;
  ConversionNames names;
  size_t marker = form.Find(".DFM");
  names.is_form = marker != std::string::npos;
  if (names.is_form) {
    text.Erase(marker, 4);
    text.Append(".TXT");
  }
  names.form = form.Name();
  names.text = text.Name();
  names.backup = BackupOf(text).Name();
  return names;
}

}  // namespace quorvex
