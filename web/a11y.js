// What the page does for a pupil who plays from the keyboard alone or with a
// screen reader: the live region the game speaks through
// (window/announcer_web.cpp), Qt's elements for assistive tools made from
// the start (Qt makes them only once a hidden English button is pressed),
// the keyboard's focus in the game whenever it shows a window and nothing
// else has it, and the progress bar's text.
"use strict";
(() => {
  const region = document.getElementById("annuncio");
  // Out of sight but read; styled from here, as the page allows no inline style.
  Object.assign(region.style, { position: "absolute", width: "1px", height: "1px", overflow: "hidden",
                                clipPath: "inset(50%)", whiteSpace: "nowrap" });
  // A screen reader speaks the region when its text changes: the same text
  // again (a question like the last) changes by a blank.
  globalThis.ponderineAnnounce = text => {
    region.textContent = region.textContent === text ? text + "\u00a0" : text;
  };

  const bar = document.getElementById("barra");
  const state = document.getElementById("stato");
  const barText = () => bar.setAttribute("aria-valuetext", state.textContent);
  new MutationObserver(barText).observe(state, { childList: true, characterData: true, subtree: true });
  barText();
  // The bar has the focus while the game loads: Orca then follows the focus
  // instead of reading the whole page aloud, during which the name box's
  // focus left it in browse mode, where a typed name went to its commands.
  bar.tabIndex = -1;
  bar.focus();

  // Qt takes typed text through an input of its own, which it adds to the
  // page's body and focuses as a control takes the focus, but it gives a
  // window it shows the browser's focus on its canvas, where a name typed
  // went nowhere until a click. So the input has the focus whenever the
  // page's focus is on a canvas of Qt's or on nothing.
  const typingInput = () => [...document.body.children].find(element => element.tagName === "INPUT");
  const watch = root => {
    let enabled = false;
    const look = () => {
      if (!enabled) {
        const enable = root.querySelector(".qt-window-a11y-container > button.hidden-visually-read-by-screen-reader");
        if (enable) {
          enabled = true;
          setTimeout(() => enable.click()); // as a click of its own, not inside Qt's work
        }
      }
      const focused = document.activeElement;
      if ((!focused || focused === document.body || root.activeElement?.tagName === "CANVAS") &&
          [...root.querySelectorAll(".qt-window")].some(w => w.style.display === "block"))
        typingInput()?.focus();
    };
    new MutationObserver(look).observe(root, { childList: true, subtree: true, attributes: true,
                                               attributeFilter: ["style"] });
    look();
  };
  // Qt's windows live in a shadow root it opens in the page's container.
  const screen = document.getElementById("screen");
  const found = new MutationObserver(() => {
    const root = document.getElementById("qt-shadow-container")?.shadowRoot;
    if (root) {
      found.disconnect();
      watch(root);
    }
  });
  found.observe(screen, { childList: true, subtree: true });
})();
