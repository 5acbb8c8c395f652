#include "driver/batch/batch_help.h"

#include "additions/additions_table.h"

namespace quorvex {

std::vector<std::string> BatchHelpLines() {
  return {
      "Usage: quorvex-batch [options] PATH...",
      "",
      "Makes every Delphi 3 form under the paths given loadable by Delphi 2.x, converting each",
      "exactly as 'quorvex FORM' does (backup, text, filter, rebuilt form). A PATH is a form file",
      "or a folder; folders are searched, with their subfolders, for files whose name ends in",
      ".dfm in any letter case. Symbolic links to folders inside them are not followed, and",
      "anything that is not a regular file is skipped with a note. A .dfm file holding a text",
      "form is recognised by its content and converted like the text of a binary form.",
      "",
      "Options:",
      "  --dry-run            read and filter every form in memory and print every line that",
      "                       would be dropped or changed; write nothing",
      "  --jobs N             convert N forms at a time (default: 8 per processor, at most 64)",
      "  --overwrite-backups  convert forms whose backup exists too (by default such a form is",
      "                       left alone as already converted)",
      "  --backup-dir DIR     write the backups under DIR, mirroring the tree, not beside the",
      "                       forms",
      "  --report FILE        also write one JSON line per form to FILE: path, kind, status,",
      "                       dropped, changed, error_class, message",
      "  --help               print this text",
      "  --version            print the version and the number of table entries",
      "",
      "Output: one line per form in the order of the walk (converted, unchanged, already",
      "converted, skipped, failed with its message), the lines each run reported, and a",
      "summary. A progress line goes to standard error when it is a terminal.",
      "",
      "Exit codes: 0 every form converted or unchanged (skipped ones aside), 1 some form",
      "failed, 2 bad usage.",
  };
}

std::string BatchVersionLine() {
  return "quorvex-batch version 1.1, " + std::to_string(kAdditionCount) + " table entries";
}

}  // namespace quorvex
