#include "driver/batch/form_job.h"

#include <algorithm>
#include <exception>
#include <map>
#include <new>
#include <optional>

#include "driver/batch/batch_paths.h"
#include "driver/batch/dry_run.h"
#include "driver/batch/form_content.h"
#include "driver/conversion_run.h"
#include "runtime/ascii.h"
#include "runtime/exceptions.h"
#include "runtime/platform/platform.h"
#include "runtime/text_channel.h"

namespace quorvex {
namespace {

void MakeFolderChecked(const std::string& folder) {
  if (System().MakeFolder(FileName(folder)) != 0) {
    RaiseFilled<EFCreateError>(kMsgCreateError, {folder});
  }
}

// Creates the backup folder and the folders below it that mirror the form's place in its tree.
void MakeBackupFolders(const std::string& backup_dir, const std::string& relative) {
  MakeFolderChecked(backup_dir);
  std::string below = FolderPart(relative);
  for (size_t start = 0; start < below.size();) {
    size_t slash = std::min(below.find('/', start), below.size());
    MakeFolderChecked(JoinPath(backup_dir, below.substr(0, slash)));
    start = slash + 1;
  }
}

// Collects the report lines of a conversion run and counts what it drops and rewrites.
class OutcomeReports : public FilterObserver {
 public:
  explicit OutcomeReports(FormOutcome& outcome) : outcome_(outcome) {}

  void LineFiltered(FilterAction action, std::string_view report) override {
    ++(action == FilterAction::kDrop ? outcome_.dropped : outcome_.changed);
    if (!report.empty()) outcome_.lines.emplace_back(report);
  }

 private:
  FormOutcome& outcome_;
};

void Fail(FormOutcome& outcome, std::string error_class, std::string message) {
  outcome.status = FormStatus::kFailed;
  outcome.error_class = std::move(error_class);
  outcome.message = std::move(message);
}

void Skip(FormOutcome& outcome, FormStatus status, std::string note) {
  outcome.status = status;
  outcome.note = std::move(note);
}

// Converts (or dry-runs) one form; failures leave as exceptions.
void ConvertForm(const WalkItem& item, const JobSettings& settings, FormOutcome& outcome) {
  ConversionNames names = NamesOfForm(item, settings.backup_dir);
  std::optional<FormContent> content = FormContent::kText;
  if (names.is_form) content = ContentOfFormFile(names.form);
  outcome.kind = !content                           ? FormKind::kNotAForm
                 : *content == FormContent::kBinary ? FormKind::kBinary
                                                    : FormKind::kText;
  if (!content) {
    return Fail(outcome, "", "not a form file: neither a form resource nor a text form");
  }
  if (!settings.overwrite_backups && System().KindOfEntry(names.backup) != EntryKind::kMissing) {
    return Skip(outcome, FormStatus::kAlreadyConverted, "backup exists");
  }
  if (settings.dry_run) {
    DryRunForm(names, *content, outcome);
  } else {
    if (!settings.backup_dir.empty()) MakeBackupFolders(settings.backup_dir, item.relative);
    OutcomeReports reports(outcome);
    RunConversion(names, *content, reports);
  }
  outcome.status =
      outcome.dropped + outcome.changed > 0 ? FormStatus::kConverted : FormStatus::kUnchanged;
}

void ConvertCatching(const WalkItem& item, const JobSettings& settings, FormOutcome& outcome) {
  PendingIoError = 0;
  try {
    ConvertForm(item, settings, outcome);
  } catch (const Exception& failure) {
    Fail(outcome, failure.ClassName(), failure.Message());
  } catch (const std::bad_alloc&) {
    Fail(outcome, "EOutOfMemory", LoadMessage(kMsgOutOfMemory));
  } catch (const RunError& error) {
    Fail(outcome, "", "Runtime error " + std::to_string(error.number));
  } catch (const std::exception& failure) {
    Fail(outcome, "", failure.what());
  }
  PendingIoError = 0;
}

}  // namespace

ConversionNames NamesOfForm(const WalkItem& item, const std::string& backup_dir) {
  ConversionNames names = DeriveConversionNames(item.path);
  if (backup_dir.empty()) return names;
  std::string folder = JoinPath(backup_dir, FolderPart(item.relative));
  std::string typed = JoinPath(folder, FileNamePart(names.backup.typed));
  std::string derived = JoinPath(folder, FileNamePart(names.backup.name));
  names.backup = FileName(derived, typed);
  return names;
}

std::vector<std::pair<size_t, FormOutcome>> SharedNameConflicts(const std::vector<WalkItem>& items,
                                                                const std::string& backup_dir) {
  std::map<std::string, const WalkItem*> writers;  // upper-cased written name to its form
  std::vector<std::pair<size_t, FormOutcome>> conflicts;
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i].find != WalkFind::kForm) continue;
    ConversionNames names = NamesOfForm(items[i], backup_dir);
    for (const FileName* written : {&names.text, &names.backup}) {
      auto [first, fresh] = writers.emplace(UpperCasedAscii(written->typed), &items[i]);
      if (fresh) continue;
      FormOutcome outcome;
      outcome.path = items[i].path;
      Fail(outcome, "",
           FileNamePart(written->name) + " would also be written for " + first->second->path +
               "; left alone");
      conflicts.emplace_back(i, std::move(outcome));
      break;
    }
  }
  return conflicts;
}

FormOutcome RunFormJob(const WalkItem& item, const JobSettings& settings) {
  FormOutcome outcome;
  outcome.path = item.path;
  switch (item.find) {
    case WalkFind::kForm:
      ConvertCatching(item, settings, outcome);
      break;
    case WalkFind::kNotRegular:
      Skip(outcome, FormStatus::kSkipped, "not a regular file");
      break;
    case WalkFind::kLinkToFolder:
      Skip(outcome, FormStatus::kSkipped, "symbolic link to a folder, not followed");
      break;
    case WalkFind::kMissing:
      Fail(outcome, "", "no such file or folder");
      break;
    case WalkFind::kUnlistedFolder:
      Fail(outcome, "", "cannot list the folder (error " + std::to_string(item.error) + ")");
      break;
  }
  return outcome;
}

}  // namespace quorvex
