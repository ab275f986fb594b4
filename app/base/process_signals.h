// The signals that would end the program on the spot, without a word, where an error the
// program can report would do.
#pragma once

namespace zelapp {

// A write beyond the file size limit (RLIMIT_FSIZE) raises SIGXFSZ, whose default action ends
// the program with its unsaved changes. Ignored, the write fails with EFBIG instead and the save
// reports it as it would a full disk. Called once at start-up; does nothing on a system without
// that signal.
void ignoreFileSizeSignal();

}  // namespace zelapp
