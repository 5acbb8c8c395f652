#ifndef QUORVEX_DRIVER_BATCH_FORM_JOB_H_
#define QUORVEX_DRIVER_BATCH_FORM_JOB_H_

#include <string>
#include <vector>

#include "driver/batch/form_outcome.h"
#include "driver/batch/form_walk.h"
#include "driver/conversion_names.h"

namespace quorvex {

struct JobSettings {
  bool dry_run = false;
  bool overwrite_backups = false;
  std::string backup_dir;  // empty: backups beside the forms
};

// The files the conversion of a found form works on: those quorvex derives from the form's
// path, with the backup moved under the backup folder (mirroring the tree) when there is one.
ConversionNames NamesOfForm(const WalkItem& item, const std::string& backup_dir);

// Marks as failed, before anything runs, every form after the first that would write a text or
// backup file another form of the walk writes too (for instance a.b.dfm and a.c.dfm share
// A.BAK), so that no form's backup can be overwritten by another's run. Returns the outcomes
// of the forms so marked, by their index in items.
std::vector<std::pair<size_t, FormOutcome>> SharedNameConflicts(const std::vector<WalkItem>& items,
                                                                const std::string& backup_dir);

// Handles one found place completely: a form is converted (or, in a dry run, read and filtered
// in memory) through the same steps as quorvex's conversion run; everything else is skipped or
// reported. Never raises: every failure ends in the outcome. Safe to run on several threads.
FormOutcome RunFormJob(const WalkItem& item, const JobSettings& settings);

}  // namespace quorvex

#endif  // QUORVEX_DRIVER_BATCH_FORM_JOB_H_
