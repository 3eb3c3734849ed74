// Saving and restoring where the desktop icons stand, identified by text.
#pragma once

class IconLayout;

// Replaces the layout with one record per desktop icon; leaves it alone
// when there is no desktop list view or the shell does not answer through
// the subclass (an icon with no text delivered is left out).
void SaveIconLayout(IconLayout& layout);
// Moves every icon whose text the layout holds to its saved place.
void RestoreIconLayout(const IconLayout& layout);
