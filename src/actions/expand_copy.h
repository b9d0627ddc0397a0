// Copying one file from the media through the LZ library, with the overwrite
// question and the creation of missing directories. Files' data move on a
// thread of their own (actions/copy_thread): a copy entry's data may still be
// moving while the next entries are recorded and their files opened and made.
#pragma once

// The status lines' labels of a copy entry.
constexpr char kCopyStatusLabels[] = "Copy:\n\nFrom:\n\nTo:";

// kGoOn copied, kSkipped skipped or its failure ignored, kAbort aborted.
// Settles the copy in flight first, then copies from start to end.
int ExpandCopy(const char* source, const char* target);
// How a media file comes out: expanded when it is compressed (a product's
// files), or byte for byte as it is stored (a saved file put back).
enum class CopyForm { Expanded, AsStored };
// The same for a copy entry shown with description: a file that opens and
// whose target is made new may still be moving when this returns kGoOn; its
// failure then shows at a later copy or when LandCopyInFlight settles it.
int ExpandCopyInFlight(const char* description, const char* source, const char* target, CopyForm form);
// Settles the copies in flight, oldest first, asking about a failure as
// ExpandCopy would have: kGoOn or kAbort (after which none of the copies
// after the aborted one stays). Everything that may look at a copied file,
// ask the user or end the copies comes after this.
int LandCopyInFlight();
