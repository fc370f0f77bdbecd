// Closing a popup menu from outside its modal loop.
#pragma once

// Posts a message that closes the open menu as soon as the menu's loop takes it.
void CloseMenuSoon();
