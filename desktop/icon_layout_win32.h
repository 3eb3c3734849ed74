// Saving and restoring where the desktop icons stand, identified by text.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

class IconLayout;

// Replaces the layout with one record per desktop icon; false, and the
// layout left alone, when there is no desktop list view or the shell does
// not answer through the subclass (an icon with no text delivered is left
// out).
bool SaveIconLayout(IconLayout& layout);
// Moves every icon whose text the layout holds to its saved place.
void RestoreIconLayout(const IconLayout& layout);
// The list view's size and where its icons stand, for telling whether the
// shell is still rearranging them; nothing when the shell does not answer.
std::optional<std::vector<std::int32_t>> LookAtDesktopIcons();
