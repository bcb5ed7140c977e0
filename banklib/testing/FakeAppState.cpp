// Brevane - an in-memory main-window state for tests.
#include "banklib/testing/FakeAppState.h"

namespace banklib::testing {

FakeAppState::FakeAppState() { installAppState(this); }

FakeAppState::~FakeAppState() { installAppState(nullptr); }

}  // namespace banklib::testing
