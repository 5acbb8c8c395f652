#ifndef QUORVEX_DRIVER_BATCH_DRY_RUN_H_
#define QUORVEX_DRIVER_BATCH_DRY_RUN_H_

#include <string>
#include <string_view>
#include <vector>

#include "driver/batch/form_outcome.h"
#include "driver/conversion_names.h"
#include "driver/conversion_run.h"

namespace quorvex {

// The lines of a text as the conversion run reads them: each ends at CR LF, a lone CR or a
// lone LF, and the text ends at its first Ctrl-Z.
std::vector<std::string_view> SplitTextLines(std::string_view text);

// Filters text as the conversion run would and records in outcome every line that would be
// dropped ("line N: - ...") or changed (its old and new line, "- " and "+ "), with counts.
void FilterInMemory(std::string_view text, FormOutcome& outcome);

// Reads the form's text into memory (a binary form through the conversion to text) and
// filters it there. Writes no file.
void DryRunForm(const ConversionNames& names, FormContent content, FormOutcome& outcome);

}  // namespace quorvex

#endif  // QUORVEX_DRIVER_BATCH_DRY_RUN_H_
