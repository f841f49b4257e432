#pragma once

class CBtnEx;
class CTabCtrlBase;

// The look of the main window's controls, shared by the window and the skin gallery.

// Gives caption button `button` the image and white text its id has (GameLayout::ButtonFaceOf).
void SkinCaptionButton(CBtnEx *button);

// Gives the tab strip its tab images and its titles' margins, centred on one line.
void SkinTabStrip(CTabCtrlBase *tabs);
