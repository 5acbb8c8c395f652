#include "tests/encoding_audit.h"

#include <set>
#include <sstream>

#include "formstream/filer.h"
#include "formstream/form_resource_header.h"
#include "formstream/value_tag.h"
#include "runtime/ascii.h"
#include "tests/test_streams.h"

namespace quorvex::testing {
namespace {

// The longest line the tokenizer reads back, line end excluded.
constexpr size_t kLongestLine = 4093;

// Walks a binary form and names every encoding in it that the trip through text does not keep.
class EncodingAudit {
 public:
  explicit EncodingAudit(TReader& reader) : reader_(reader) {}

  void Object() {
    if ((reader_.PeekTag() & kPrefixMarker) == kPrefixMarker) {
      uint8_t flags = reader_.GetTag() & 0x0F;
      if (flags & 0x0C) reasons.insert("prefix bits 2-3");
      if (flags & flagChildPosition) Integer();
    }
    reader_.GetName();
    reader_.GetName();
    while (!reader_.AtListEnd()) Property();
    reader_.ExpectTag(tagEnd);
    while (!reader_.AtListEnd()) Object();
    reader_.ExpectTag(tagEnd);
  }

  std::set<std::string> reasons;

 private:
  void Property() {
    reader_.GetName();
    Value();
  }

  int32_t Integer() {
    uint8_t tag = reader_.PeekTag();
    int32_t value = reader_.GetInteger();
    uint8_t smallest = value >= -128 && value <= 127       ? tagInt8
                       : value >= -32768 && value <= 32767 ? tagInt16
                                                           : tagInt32;
    if (tag != smallest) reasons.insert("integer not in its smallest tag");
    return value;
  }

  static bool IsInteger(uint8_t tag) {
    return tag == tagInt8 || tag == tagInt16 || tag == tagInt32;
  }

  void Value() {
    switch (reader_.PeekTag()) {
      case tagList:
        reader_.GetTag();
        while (!reader_.AtListEnd()) Value();
        reader_.GetTag();
        return;
      case tagInt8:
      case tagInt16:
      case tagInt32:
        Integer();
        return;
      case tagExtended:
        reasons.insert("floating-point value");
        reader_.GetExtended();
        return;
      case tagLongString:
        if (reader_.GetStringValue().size() <= 255) reasons.insert("long string of <= 255 bytes");
        return;
      case tagIdent: {
        std::string ident = reader_.GetIdentifier();
        for (const char* word : {"False", "True", "nil"}) {
          if (EqualIgnoringAsciiCase(ident, word)) reasons.insert("ident spelled " + ident);
        }
        return;
      }
      case tagBinary: {
        reader_.GetTag();
        std::string bytes(size_t(reader_.GetLength()), '\0');
        reader_.GetBytes(bytes.data(), int32_t(bytes.size()));
        return;
      }
      case tagSet:
        reader_.GetTag();
        for (std::string member = reader_.GetName(); !member.empty();) member = reader_.GetName();
        return;
      case tagCollection:
        reader_.GetTag();
        while (!reader_.AtListEnd()) {
          if (IsInteger(reader_.PeekTag()) && Integer() == -1) reasons.insert("item order -1");
          reader_.ExpectTag(tagList);
          while (!reader_.AtListEnd()) Property();
          reader_.GetTag();
        }
        reader_.GetTag();
        return;
      case tagString:
        reader_.GetStringValue();
        return;
      default:
        reader_.GetIdentifier();  // tagFalse, tagTrue, tagNil
        return;
    }
  }

  TReader& reader_;
};

std::string Joined(const std::set<std::string>& reasons) {
  std::string joined;
  for (const std::string& reason : reasons) joined += (joined.empty() ? "" : ", ") + reason;
  return joined;
}

// The reasons found in the form itself, its header and the lines of its text.
std::set<std::string> AuditForm(const std::string& bytes, const std::string& text) {
  TMemoryStream input;
  Fill(input, bytes);
  ReadFormResourceHeader(input);
  int32_t form_start = input.CurrentOffset();
  EncodingAudit audit = [&] {
    TReader reader(input, kFilerBufferSize);
    reader.CheckFormSignature();
    EncodingAudit walk(reader);
    walk.Object();
    reader.Release();
    return walk;
  }();
  TMemoryStream form;
  form.WriteAll(bytes.data() + form_start, input.CurrentOffset() - form_start);
  TMemoryStream rewrapped;
  WriteFormResource(form, rewrapped);
  if (ContentOf(rewrapped) != bytes) audit.reasons.insert("header other than the writer's");
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.size() - 1 > kLongestLine) audit.reasons.insert("line over the tokenizer's limit");
  }
  return audit.reasons;
}

}  // namespace

std::string AuditedReasons(const std::string& form_file, const std::string& text) {
  return Joined(AuditForm(form_file, text));
}

const std::map<std::string, std::string> kChangedByText = {
    {"binary/002_prefs.dfm", "floating-point value"},
    {"binary/003_chartdlg.dfm", "prefix bits 2-3"},
    {"binary/004_data.dfm", "floating-point value"},
    {"binary/007_user_adm.dfm", "floating-point value"},
    {"binary/009_xfilesunit1.dfm", "floating-point value"},
    {"binary/071_export1.dfm", "floating-point value"},
    {"binary/081_tsdatetimeeditor.dfm", "floating-point value"},
    {"binary/090_main.dfm", "floating-point value"},
};

const char kDamagedForm[] = "binary/016_exff2simpleplanneru1.dfm";

}  // namespace quorvex::testing
