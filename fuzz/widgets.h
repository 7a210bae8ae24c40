#pragma once

// The console's traffic lines are widgets for now, so the targets that drive the
// console's own road need an application object of the widget kind. Made once, on
// the offscreen platform, unless the caller already has one.
namespace fuzz {
void ensureApplication();
}
