// A consistent, checked copy of a table file, taken while the program (or another copy of it) may be writing.
#pragma once

#include <QString>

namespace TableFileCopy {

/// Copies the table file at `source` to a new file at `target` (whatever was at `target` is replaced) with
/// SQLite's online backup, which reads every page inside one read transaction, so a write that comes at the
/// same time is either wholly in the copy or not at all. The copy is then checked: its size must be the
/// source's page count times its page size, and SQLite's integrity check must pass.
/// Throws Failure: `Table file "<source>" ...` when the source cannot be read or is not a sound table file,
/// "Unable to write to <target>" when the copy cannot be written or fails its check; no file is left at
/// `target` then. `reportedTarget` is the name failures give for `target` (the final name of a copy made
/// under a temporary one); `target` itself when empty.
void copy(const QString &source, const QString &target, const QString &reportedTarget = {});

/// SQLite's integrity check of a table file, opened read-only. Throws Failure naming the file when it
/// cannot be read, is not a table file, or is damaged.
void verify(const QString &path);

} // namespace TableFileCopy
