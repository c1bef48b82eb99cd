// Whole reads and writes over a host's stream. Hosts hand over windows of
// larger files and may deliver fewer bytes per call than asked for, so both
// loop from the current position until done or the stream gives no more.
#pragma once

#include "vst3/Vst3Abi.h"

namespace tarn::vst3 {

// Bytes read into buffer, at most capacity; stops at the first call that
// fails, gives nothing or claims more than it was asked for.
int32 readUpTo(IBStream *stream, void *buffer, int32 capacity);
// True only when every byte was written.
bool writeAll(IBStream *stream, const void *buffer, int32 size);

}  // namespace tarn::vst3
