#include "decoder/DetectionState.h"

bool detectionFailed = false;
