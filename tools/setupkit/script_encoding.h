// The script's encoding through pack. The packer edits the script's bytes
// where the reader placed its lines, in UTF-8; a script in UTF-16 is taken
// into UTF-8 (behind a UTF-8 byte order mark, so that it reads the same) for
// that, and the script for the media is put back into the encoding it came
// in. An ANSI script and a UTF-8 one are edited as they are.
#pragma once
#include <string>

#include "script/profile_file.h"

namespace pack {

// The script's bytes ready for editing.
std::string EditableScript(const std::string& bytes, ProfileEncoding encoding);
// The edited script in its own encoding again.
std::string ScriptInEncoding(const std::string& edited, ProfileEncoding encoding);

}  // namespace pack
