// Copying one file from the media through the LZ library, with the overwrite
// question and the creation of missing directories. Files' data move on a
// thread of their own (actions/copy_thread): a copy entry's data may still be
// moving while the next entries are recorded and their files opened and made.
#pragma once

#include "base/results.h"

// GoOn copied, Skipped skipped or its failure ignored, Abort aborted.
// Settles the copy in flight first, then copies from start to end.
StepResult ExpandCopy(const char* source, const char* target);
// How a media file comes out: expanded when it is compressed (a product's
// files), or byte for byte as it is stored (a saved file put back).
enum class CopyForm { Expanded, AsStored };
// The same for a copy entry shown with description: a file that opens and
// whose target is made new may still be moving when this returns GoOn; its
// failure then shows at a later copy or when LandCopyInFlight settles it.
StepResult ExpandCopyInFlight(const char* description, const char* source, const char* target, CopyForm form);
// Settles the copies in flight, oldest first, asking about a failure as
// ExpandCopy would have: GoOn or Abort (after which none of the copies after
// the aborted one stays). Everything that may look at a copied file, ask the
// user or end the copies comes after this.
StepResult LandCopyInFlight();
