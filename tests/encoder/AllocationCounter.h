// The test binary's operator new counts its calls, so that a test can check that a piece of
// code allocates nothing.
#pragma once

namespace testsupport {

long allocationCount();

}  // namespace testsupport
