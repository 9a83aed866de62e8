// The page around the game: the progress bar while the game downloads, the
// start, and the offline copy (sw.js) with its updates. A file of its own,
// not a script in index.html, so that a strict Content-Security-Policy can
// forbid inline script.
"use strict";
// What went wrong, told as it is to the pupil or the teacher.
class Trouble extends Error { }

// Where the page stands with the name prompt, its offline copy and its scale.
const updates = { atPrompt: false, taken: false, reloading: false, watched: new WeakSet(), scale: 1,
                  controlled: "serviceWorker" in navigator && !!navigator.serviceWorker.controller };

(async () => {
  const attesa = document.getElementById("attesa");
  const barra = document.getElementById("barra");
  const stato = document.getElementById("stato");
  const say = text => { stato.textContent = text; };
  const fail = text => {
    attesa.hidden = false;
    barra.hidden = true;
    say(text);
  };

  if (typeof WebAssembly !== "object" || typeof WebAssembly.compile !== "function") {
    fail("Questo browser non può far girare Ponderine: è troppo vecchio, o ha WebAssembly disattivato. " +
         "Aggiornalo, o apri questa pagina con un altro browser.");
    return;
  }
  // Opened from a disk, the page may not fetch the game.
  if (location.protocol === "file:") {
    fail("Ponderine non si apre da un file sul disco: la cartella del gioco va messa su un server web " +
         "(per esempio quello della scuola) e aperta dal suo indirizzo. Chiedi l'indirizzo all'insegnante.");
    return;
  }
  // Plain HTTP on a name other than the device's own: no offline copy.
  if (!("serviceWorker" in navigator)) {
    const avviso = document.getElementById("avviso");
    avviso.textContent = isSecureContext
      ? "Questo browser non tiene il gioco per usarlo senza rete: si gioca solo con la rete."
      : "Questo indirizzo non è protetto (http://): il gioco funziona, ma solo con la rete. " +
        "Per giocare anche senza rete il sito va servito in HTTPS.";
    avviso.hidden = false;
  }
  const scale = fittingScale();
  updates.scale = scale;
  const copyAgain = " Va copiata di nuovo sul server tutta la cartella del gioco.";

  try {
    // The bar counts what has come against the file's own size, as a server
    // that compresses it sends no size to compare with. The game compiles as
    // it comes, from a copy of the download, where the server names it as
    // WebAssembly; otherwise once it is whole. Asked anew of the server
    // (or of the offline copy), not taken from the HTTP cache, which may
    // hold another build's as still fresh.
    const total = @PONDERINE_WASM_BYTES@;
    const response = await fetch("ponderine.wasm", { cache: "no-cache" }).catch(() => {
      throw new Trouble("Non è stato possibile scaricare il gioco: controlla la connessione e ricarica la pagina.");
    });
    if (!response.ok)
      throw new Trouble(`Sul server manca il file del gioco (ponderine.wasm, errore ${response.status}).` + copyAgain);
    // A server that answers every address with a page of its own.
    if (/^text\/html\b/.test(response.headers.get("Content-Type") || ""))
      throw new Trouble("Al posto del file del gioco (ponderine.wasm) il server ha mandato una pagina web: " +
                        "il file manca, o il server manda la stessa pagina per ogni indirizzo." + copyAgain);
    if (typeof qtLoad !== "function" || typeof window.ponderine_entry !== "function")
      throw new Trouble("Sul server mancano dei file del gioco (qtloader.js, ponderine.js)." + copyAgain);
    const streaming = typeof WebAssembly.compileStreaming === "function" &&
                      /^application\/wasm\b/.test(response.headers.get("Content-Type") || "");
    const compiling = streaming ? WebAssembly.compileStreaming(response.clone()) : null;
    const reader = response.body.getReader();
    const parts = [];
    let received = 0;
    for (;;) {
      const { done, value } = await reader.read();
      if (done)
        break;
      if (!streaming)
        parts.push(value);
      received += value.length;
      const percent = Math.min(99, Math.floor(received * 100 / total));
      barra.value = percent;
      say("Caricamento del gioco… " + percent + " %");
    }
    // Another build's game (a copy half replaced on the server) or one cut
    // short would fail in ways that say nothing to a pupil.
    if (received !== total)
      throw new Trouble(`Il file del gioco (ponderine.wasm) è arrivato incompleto, o è di un'altra versione ` +
                        `(${received} byte invece di ${total}). Ricarica la pagina; se succede di nuovo:` + copyAgain);
    barra.value = 100;
    say("Preparazione del gioco… 100 %");
    let module = compiling;
    if (!streaming) {
      const bytes = new Uint8Array(received);
      let at = 0;
      for (const part of parts) {
        bytes.set(part, at);
        at += part.length;
      }
      module = WebAssembly.compile(bytes);
    }
    await module;

    await qtLoad({
      qt: {
        module: module,
        entryFunction: window.ponderine_entry,
        containerElements: [document.getElementById("screen")],
        environment: scale < 1 ? { QT_SCALE_FACTOR: String(scale) } : {},
        onLoaded: () => {
          attesa.hidden = true;
          adoptQtStyles();
          keepRecord();
          // Kept for the next visit, which then starts with no network too
          // (sw.js); fetched once the game is up, not while it is loading.
          if ("serviceWorker" in navigator)
            navigator.serviceWorker.register("sw.js").then(watchUpdates).catch(() => {});
        },
        onExit: () => fail("Il gioco si è fermato. Ricarica la pagina per ricominciare."),
      },
    });
  } catch (error) {
    fail(error instanceof Trouble ? error.message
                                  : "Non è stato possibile caricare il gioco (" + error.message + "). " +
                                    "Ricarica la pagina per riprovare.");
  }
})();

// The game's size before any scaling: a smaller page scales it down whole,
// within the frame Qt draws around it in page pixels, unscaled (4 px
// borders, a 22 px title bar). Qt takes its scale once, at the start; a
// page turned or resized since is fitted anew at the next name prompt.
function fittingScale() {
  return Math.min(1, (innerWidth - 8) / @PONDERINE_DESIGN_WIDTH@, (innerHeight - 30) / @PONDERINE_DESIGN_HEIGHT@);
}

// Asks the browser to keep the site's storage, the record with it, when
// space runs short or the site goes unvisited for a while; only where that
// asks the pupil nothing (a browser that would prompt says "prompt").
async function keepRecord() {
  try {
    if (!navigator.storage?.persist || await navigator.storage.persisted())
      return;
    const state = await navigator.permissions?.query({ name: "persistent-storage" })
      .then(status => status.state, () => "unknown");
    if (state !== "prompt" && state !== "denied")
      await navigator.storage.persist();
  } catch (error) {
    // Kept as the browser keeps any site's storage.
  }
}

// Qt gives its windows their look through a <style> element of its own,
// which a strict Content-Security-Policy (no inline style) leaves unused:
// the same rules, made into a stylesheet from script, apply under any policy.
// Qt places its elements for assistive tools at the controls' unscaled
// places, past the scaled window's edges (Qt 6.8.2): scaled here the same,
// they lie on their controls, where a screen reader's touch finds them.
const adopted = new WeakSet();
function adoptQtStyles() {
  const root = document.getElementById("qt-shadow-container")?.shadowRoot;
  if (!root || !("adoptedStyleSheets" in root))
    return;
  if (updates.scale < 1 && !adopted.has(root)) {
    adopted.add(root);
    const sheet = new CSSStyleSheet();
    sheet.replaceSync(`.qt-window-a11y-container { transform: scale(${updates.scale}); transform-origin: 0 0; }`);
    root.adoptedStyleSheets = [...root.adoptedStyleSheets, sheet];
  }
  for (const style of root.querySelectorAll("style")) {
    if (style.sheet || adopted.has(style))
      continue;
    adopted.add(style);
    const sheet = new CSSStyleSheet();
    sheet.replaceSync(style.textContent);
    root.adoptedStyleSheets = [...root.adoptedStyleSheets, sheet];
  }
}

// A new build of the site is taken only while the name prompt is open,
// between two pupils, never during a game: the game tells the page when
// the prompt opens and closes (app/games_web.cpp). A new build's worker
// waits until then, and the page reloads once it has taken over. A page
// turned or resized since it started reloads there too, to fit anew.
function reloadAtPrompt() {
  if (updates.reloading)
    return;
  updates.reloading = true;
  location.reload();
}

// Asks the waiting worker of REGISTRATION, if any, to take over, when the
// prompt is open.
function takeUpdate(registration) {
  if (updates.atPrompt && registration.waiting)
    registration.waiting.postMessage("ponderine-take");
}

function watchUpdates(registration) {
  if (updates.watched.has(registration))
    return;
  updates.watched.add(registration);
  registration.addEventListener("updatefound", () => {
    const worker = registration.installing;
    worker?.addEventListener("statechange", () => {
      if (worker.state === "installed")
        takeUpdate(registration);
    });
  });
}

if ("serviceWorker" in navigator) {
  // A new worker has taken over this page: the first one of a first visit
  // brings the same build as the page; any later one, a new build.
  navigator.serviceWorker.addEventListener("controllerchange", () => {
    if (updates.controlled)
      updates.taken = true;
    updates.controlled = true;
    if (updates.taken && updates.atPrompt)
      reloadAtPrompt();
  });
}

window.ponderineNamePrompt = open => {
  updates.atPrompt = open;
  adoptQtStyles();
  if (open && Math.abs(fittingScale() - updates.scale) > 0.001) {
    reloadAtPrompt();
    return;
  }
  if (!open || !("serviceWorker" in navigator))
    return;
  if (updates.taken) {
    reloadAtPrompt();
    return;
  }
  navigator.serviceWorker.getRegistration().then(registration => {
    if (!registration)
      return;
    watchUpdates(registration);
    takeUpdate(registration);
    // Offline, or on a server that is down, there is simply nothing new.
    registration.update().catch(() => {});
  }).catch(() => {});
};
