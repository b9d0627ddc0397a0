// `setupkit pack PRODUCT_DIR MEDIA_DIR [--disk-size BYTES] [--engine DIR]`:
// finished media from a product folder (a script with plain file names, and
// the files). See docs/publishing.md.
#pragma once

namespace pack {

// args: the command's arguments, ending in a null pointer. Exit status: 0
// done, 1 failed (one line on stderr names the file), 2 bad usage.
int PackCommand(char** args);

}  // namespace pack
