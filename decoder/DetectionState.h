// The process-wide outcome of the last picture read.
#pragma once

// Set by readPicture() when it read no symbol, cleared when it read one. Nothing inside the
// reader tests it; callers that keep to the flag may test and clear it. One read runs at a time.
extern bool detectionFailed;
