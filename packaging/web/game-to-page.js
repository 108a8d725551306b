// What the game tells the page, linked into the game's script (--js-library): whether it is held
// and whether it is muted, for the pressed look of the page's Pause and Mute buttons.
mergeInto(LibraryManager.library, {
  quorvix_show_hold: function (held, muted) {
    if (Module.showHold) {
      Module.showHold(held !== 0, muted !== 0);
    }
  },
});
