// Saving that never damages what was there: the content goes to a temporary
// file beside the target, is flushed to the disk, and only then renamed over
// the target. On any failure the temporary file is removed, the previous file
// is untouched and no new file is left behind.
#pragma once

#include <string>
#include <string_view>

#include "config/file_status.h"

namespace krn {

// Replaces (or creates) `path` with `content`. A target that is a symbolic
// link is followed, so the link stays and the file it names is replaced; an
// existing file keeps its permission bits.
FileStatus WriteFileAtomically(const std::string& path, std::string_view content);

}  // namespace krn
