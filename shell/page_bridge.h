// What the page around the browser build asks of the running game: the level on screen (for its
// link and download buttons), a level file to play now, the player's runs to download, and the
// HUD's text (its tests read it). The desktop build has no page; attaching there does nothing.
#pragma once

namespace quillomar {

class quillomar_game;

// The game the page's calls go to from now on; null when it goes.
void attach_to_page(quillomar_game* game);

}  // namespace quillomar
