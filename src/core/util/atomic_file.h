// Files that appear whole or not at all.
//
// Every file the programs write goes through here: the bytes go to a
// temporary file in the same folder, are flushed to the disk, and only then
// take the final name. A kill or a full disk leaves the old file (or no
// file) under the final name, never a partial one.
#pragma once

#include <string>

namespace zelkor {

enum class AtomicWrite { Ok, OpenFailed, WriteFailed };

// Writes bytes to path, replacing what stood there only once the new text
// is complete. On failure nothing is left behind, the old file stands, and
// *reason (when given) holds the system's reason.
AtomicWrite WriteFileAtomically(const std::string& path, const std::string& bytes, std::string* reason = nullptr);

// The same for a file that only its owner may read (mode 600): the file
// never exists with wider rights, not even as a temporary.
AtomicWrite WritePrivateFileAtomically(const std::string& path, const std::string& bytes,
                                       std::string* reason = nullptr);

// Writes bytes under path, or, when a file of that name exists, under the
// first free name of "stem-2.ext", "stem-3.ext", ...; never replaces a file.
// Returns the path written, or an empty text on failure (*reason set).
std::string WriteNewFileAtomically(const std::string& path, const std::string& bytes,
                                   std::string* reason = nullptr);

// Gives a complete file that another writer made beside path (a PDF from
// the printer, say) the final name in one step, replacing what stood there
// (which rename() will not do on Windows). On failure the temporary is
// removed and *reason set.
bool MoveIntoPlace(const std::string& temp, const std::string& path, std::string* reason = nullptr);

// Writes bytes under path only when no file of that name exists (another
// program may be installing the same file at the same moment): Created,
// Exists (nothing written), or Failed (*reason set).
enum class CreateResult { Created, Exists, Failed };
CreateResult CreateFileAtomically(const std::string& path, const std::string& bytes, std::string* reason = nullptr);

// The temporaries of writes that never finished (a killed program) in a
// folder: "NAME.part-PID-N" and "NAME.scratch-PID-N" of processes that no
// longer run. Removes them and returns how many.
int RemoveStaleTemporaries(const std::string& folder);

// A name for a scratch file that belongs to one job of this process:
// "base.scratch-PID-N", N counting up; no two jobs, in this process or
// another, get the same one.
std::string ScratchName(const std::string& base);

// Removes a file, if it is there (a temporary that failed); UTF-8 names on
// Windows too.
void DiscardFile(const std::string& path);

// "stem-N.ext" for "stem.ext" (N >= 2); the folder part stays as it is.
std::string NumberedName(const std::string& path, int n);

// "Could not write PATH: REASON." for messages.
std::string WriteFailureText(const std::string& path, const std::string& reason);

}  // namespace zelkor
