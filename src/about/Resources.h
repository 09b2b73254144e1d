// Registers the about box's and the splash window's resources (safe to call again).
#pragma once

namespace nubrix::about {

void InitAboutResources();

}  // namespace nubrix::about
