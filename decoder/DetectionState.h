// The process-wide outcome of symbol detection.
#pragma once

// Set by the detection stages (picture loading, finder, alignment and sampling) when they give
// up; nothing in the detector clears it. The caller tests it after a run and clears it. One
// detection runs at a time.
extern bool detectionFailed;
