#pragma once

// A file the user keeps, given new text the way a careful editor saves: written whole
// beside it and renamed over it, so that a reader (the -watch reload) or a crash meets
// the old text or the new, never half of one.

#include <string>

// Replaces the text of the file at `path`. A symbolic link is followed to the file it
// names, which is replaced where it lies, the link left as it was; the file keeps its
// permission bits, and its owner and group where this process may set them. False, with
// the reason in *error (naming the file), when the file is missing or read-only, or
// cannot be replaced; the file is then as it was.
bool ReplaceFileText(const std::string& path, const std::string& text, std::string* error);

// The whole text of the file at `path`, to edit and give back to ReplaceFileText; false
// when it cannot be read.
bool ReadFileText(const std::string& path, std::string* text);
