#ifndef QUORVEX_TESTS_ENCODING_AUDIT_H_
#define QUORVEX_TESTS_ENCODING_AUDIT_H_

#include <map>
#include <string>

namespace quorvex::testing {

// The encodings of a form file that the trip through its text does not keep (a floating-point
// value, a long string of at most 255 bytes, a header other than the one the writer makes, a
// text line longer than the tokenizer reads, ...), found in the file's bytes and the lines of
// its text and joined by ", "; empty when the form comes back from its text byte for byte.
std::string AuditedReasons(const std::string& form_file, const std::string& text);

// The real binary forms of classic tags whose encodings the trip through text does not keep,
// by their path in the corpus, with what the audit finds in them.
extern const std::map<std::string, std::string> kChangedByText;

// Damaged as stored: its length bytes no longer fit the data, and its text does not read back.
extern const char kDamagedForm[];

}  // namespace quorvex::testing

#endif  // QUORVEX_TESTS_ENCODING_AUDIT_H_
