// Plays the game's first seconds as a player would: a new game (U), a few frames of play, the
// end of the game (Space), a few frames of its game over panel, and Esc, which ends the
// program. U and Space are held in the keyboard state that the game's input library reads
// (its DirectInput keyboard's GetDeviceState answers with the key down for one read), so the
// presses reach that game alone, whatever window is in front; Esc is posted to the game's
// window as the key-down message a player's Esc gives.
//
// The driver counts the game's keyboard reads and its frames; a game that shows no frames is
// moved on by reads alone. Until it is done, the game's window is kept active: the game draws
// only while it is, and the windows of other programs run at the same time take it away.
#pragma once

// The hook for PelmoraInput.dll's import of DirectInput8Create, or null for any other import.
void* GameInputHook(const char* function);
