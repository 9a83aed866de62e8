// A whole game of the web build in headless Chromium, with the browser in
// Italian, driven through puppeteer-core from the keyboard alone: the name
// typed, the question read from the accessibility tree, a right and a wrong
// answer judged, the counters, the time asked for, Exit, the farewell and
// the record box, the next game's name prompt, each step also heard in the
// page's live region, and what IndexedDB holds; a reload that shows the
// record kept, with a name that is markup; a save whose write-out the browser
// refuses part-way; a reload with the network cut; a phone's screen; a
// tablet's, played by touch alone; two tabs ending at once; the browser
// started anew; storage the browser refuses (a policy that blocks the site's
// data); plain HTTP on the school's network; on Debian's nginx with its
// default headers, the next build (NEXT, the same game marked as another
// build) put on the server during a game and taken at the next name prompt,
// whole; bad ground; two copies in sibling folders, each starting offline
// after the other's visit; a game on Apache on a page turned during it; a
// strict Content-Security-Policy. The site is served by Debian's nginx with
// the settings it ships, and the bytes it sends are checked. Screenshots,
// and the accessibility tree after a verdict, go to SHOTS. Prints the time
// from navigation to the name prompt.
// Usage: node tests/e2e/web.js SITE SHOTS NEXT
"use strict";
const crypto = require("crypto");
const fs = require("fs");
const os = require("os");
const path = require("path");
const puppeteer = require("puppeteer-core");
const { serve, nginx, apache, chromiumOptions, shownTitles: titlesOf } = require("./webserver.js");

const [site, shots, nextSite] = process.argv.slice(2);
fs.mkdirSync(shots, { recursive: true });

const units = { milligrammi: -3, centigrammi: -2, decigrammi: -1, grammi: 0, decagrammi: 1, ettogrammi: 2, chilogrammi: 3,
                milligrammo: -3, centigrammo: -2, decigrammo: -1, grammo: 0, decagrammo: 1, ettogrammo: 2, chilogrammo: 3 };
// The answer as the game writes it: 15 significant digits, exponent form
// below 0.0001, the decimal comma.
function answerFor(question) {
  const [, quantity, from, to] = question.match(/^(\d+) (\S+), quanti (\S+)\?$/);
  // Rounded to 15 significant digits first, as the game writes it: 10 ** -5
  // is 9.999999999999999e-6 in floating point, and 1 cg is 1E-05 Kg.
  const value = Number((Number(quantity) * 10 ** (units[from] - units[to])).toPrecision(15));
  let text;
  if (value < 1e-4) {
    const [mantissa, exponent] = value.toExponential().split("e");
    const power = Number(exponent);
    text = mantissa + "E" + (power < 0 ? "-" : "+") + String(Math.abs(power)).padStart(2, "0");
  } else {
    text = String(Number(value.toPrecision(15)));
  }
  return text.replace(".", ",");
}

let failures = 0;
function check(what, ok, detail) {
  console.log(`${ok ? "ok  " : "FAIL"} ${what}${detail ? ": " + detail : ""}`);
  if (!ok)
    failures++;
}

const literally = text => text.replace(/[.*+?^${}()|[\]\\]/g, "\\$&");
const pause = ms => new Promise(resolve => setTimeout(resolve, ms));

// What the scenario does in one tab: PAGE, with its DevTools session.
async function tabDriver(page) {
  const cdp = await page.createCDPSession();
  await cdp.send("Emulation.setLocaleOverride", { locale: "it-IT" });
  await cdp.send("Accessibility.enable");
  page.on("pageerror", error => console.log("page error:", error.message));
  // What the page's live region says, each change kept as it comes.
  await page.evaluateOnNewDocument(() => {
    globalThis.heardTexts = [];
    document.addEventListener("DOMContentLoaded", () => {
      // A document without the region (the phone step reloads twice in a
      // row, which can leave one unfinished) has nothing to hear.
      const region = document.getElementById("annuncio");
      if (region)
        new MutationObserver(() => heardTexts.push(region.textContent))
          .observe(region, { childList: true, characterData: true, subtree: true });
    });
  });
  const tab = { page, cdp };
  // Waits for the live region to say a text that PATTERN matches whole, and
  // returns it; what it said before that is passed over.
  let heard = [];
  tab.heard = async pattern => {
    for (let i = 0; i < 300; i++) {
      heard.push(...(await page.evaluate(() => heardTexts.splice(0))).map(text => text.replace(/\u00a0+$/, "")));
      const at = heard.findIndex(text => pattern.test(text));
      if (at >= 0) {
        const text = heard[at];
        heard = heard.slice(at + 1);
        return text;
      }
      await pause(100);
    }
    throw new Error(`not said in the live region: ${pattern}; it said: ${heard.join(" | ")}`);
  };
  tab.checkHeard = async (what, pattern) => {
    try {
      check(`heard: ${what}`, true, await tab.heard(pattern));
    } catch (error) {
      check(`heard: ${what}`, false, error.message);
    }
  };

  tab.shownTitles = () => titlesOf(page);
  // Waits until the windows shown are those titled TITLES, in their order.
  tab.waitForWindows = async (...titles) => {
    for (let i = 0; i < 600; i++) {
      if ((await tab.shownTitles()).join("|") === titles.join("|"))
        return;
      await pause(100);
    }
    throw new Error(`not the windows ${titles.join(", ")}: ${await tab.shownTitles()}`);
  };
  tab.axTexts = async () => {
    const { nodes } = await cdp.send("Accessibility.getFullAXTree");
    return nodes.filter(node => !node.ignored).map(node => [node.role?.value, node.name?.value, node.value?.value,
                                                          node.description?.value].filter(Boolean).join(" | "));
  };
  tab.waitForText = async pattern => {
    for (let i = 0; i < 300; i++) {
      const found = (await tab.axTexts()).find(text => pattern.test(text));
      if (found)
        return found;
      await pause(100);
    }
    throw new Error(`not in the accessibility tree: ${pattern}\n${(await tab.axTexts()).join("\n")}`);
  };
  tab.press = async key => { await page.keyboard.press(key); };
  tab.pressWith = async (modifier, key) => {
    await page.keyboard.down(modifier);
    await page.keyboard.press(key);
    await page.keyboard.up(modifier);
  };
  tab.typeText = async text => {
    for (const character of text) {
      if (/[ -~]/.test(character)) {
        await page.keyboard.type(character);
      } else {
        // Not on a US keyboard: sent as an Italian keyboard sends it.
        for (const type of ["keyDown", "keyUp"])
          await cdp.send("Input.dispatchKeyEvent", { type, key: character, text: type === "keyDown" ? character : "",
                                                      code: "Quote", windowsVirtualKeyCode: 192 });
      }
    }
  };
  // A click on the button for assistive tools named NAME, as a screen
  // reader's activation does it (the keyboard focus stays).
  tab.activate = name => page.evaluate(name => {
    const root = document.getElementById("qt-shadow-container").shadowRoot;
    [...root.querySelectorAll("button")].find(b => b.textContent === name).click();
  }, name);
  // A tap on the control named NAME in the window shown last. Qt's elements
  // for assistive tools lie under their controls, and give the place, but
  // only in a window shown before they were made: in a box shown later
  // they lie elsewhere (Qt 6.8.2), so a box's OK is tapped where the box
  // lays it out, at its bottom right.
  tab.tap = async name => {
    for (let i = 0; i < 100; i++) {
      const place = await page.evaluate(name => {
        const root = document.getElementById("qt-shadow-container").shadowRoot;
        const shown = [...root.querySelectorAll(".qt-window")].filter(w => w.style.display !== "none").at(-1);
        if (!shown)
          return null;
        const box = shown.getBoundingClientRect();
        if (name === "box OK")
          return { x: box.right - 56, y: box.bottom - 29 };
        if (name === "name box")
          return { x: box.x + box.width / 2, y: box.y + box.height * 0.55 };
        const found = [...shown.querySelectorAll("button, input, div")]
          .find(e => e.textContent === name || e.getAttribute("aria-label") === name);
        const r = found?.getBoundingClientRect();
        return r && r.width > 0 ? { x: r.x + r.width / 2, y: r.y + r.height / 2 } : null;
      }, name);
      if (place)
        return page.touchscreen.tap(place.x, place.y);
      await pause(100);
    }
    throw new Error(`nothing named ${name} to tap`);
  };
  // What of the window shown last lies outside the page: the window and its
  // canvas as Qt lays them out, and each control, as its element for
  // assistive tools places it, outside the canvas. Left out: the menu bar's
  // items past its right edge, which its "»" menu holds, and the menu bar
  // and the client area themselves, which Qt sizes to the page, not to the
  // window within its frame.
  tab.outside = () => page.evaluate(() => {
    const root = document.getElementById("qt-shadow-container").shadowRoot;
    const shown = [...root.querySelectorAll(".qt-window")].filter(w => w.style.display !== "none").at(-1);
    const canvas = shown.querySelector("canvas").getBoundingClientRect();
    const viewport = new DOMRect(0, 0, innerWidth, innerHeight);
    const places = [["window", shown.getBoundingClientRect(), viewport], ["canvas", canvas, viewport]];
    const elements = [...shown.querySelectorAll(".qt-window-a11y-container > *")]
      .filter(e => e.style.position === "absolute" && e.getBoundingClientRect().width > 0);
    const bar = elements.find(e => e.getAttribute("role") === "menubar")?.getBoundingClientRect();
    for (const e of elements) {
      const r = e.getBoundingClientRect();
      if (!(e.getAttribute("role") === "menuitem" && r.right > bar?.right + 1) && e.getAttribute("role") !== "menubar" &&
          r.width * r.height < canvas.width * canvas.height / 2)
        places.push([e.getAttribute("aria-label") || e.textContent || e.tagName, r, canvas]);
    }
    const outside = places.filter(([, r, within]) => r.left < within.left - 1 || r.top < within.top - 1 ||
                                                      r.right > within.right + 1 || r.bottom > within.bottom + 1)
      .map(([name, r]) => `${name} ${[r.left, r.top, r.right, r.bottom].map(Math.round)}`);
    return places.length > 3 ? outside : ["no controls"];
  });
  tab.settle = () => pause(500);
  // The name typed at the prompt, the greeting closed, from the keyboard
  // alone; the question read.
  tab.startGame = async (name, shot) => {
    await tab.waitForWindows("Ponderine");
    await tab.settle();
    check("the name box has the typing focus", await page.evaluate(() => document.activeElement?.tagName === "INPUT"));
    await tab.typeText(name);
    await tab.press("Enter");
    await tab.settle();
    await tab.press("Enter");
    await tab.waitForWindows("Giocare con le ponderine");
    tab.question = (await tab.waitForText(/quanti \S+\?$/)).match(/(\d+ \S+, quanti \S+\?)$/)[1];
    if (shot)
      await page.screenshot({ path: path.join(shots, shot) });
    return { question: tab.question, challenger: await tab.waitForText(/Sfidante: /) };
  };
  // COUNT right answers, each to a new question.
  tab.answerRight = async count => {
    for (let i = 0; i < count; i++) {
      await tab.typeText(answerFor(tab.question));
      await tab.press("Enter");
      await tab.waitForText(new RegExp(`Risposte esatte: ${i + 1}`));
      await tab.press("Enter");
      await tab.waitForText(/\| Messaggio$/);
      tab.question = (await tab.waitForText(/quanti \S+\?$/)).match(/(\d+ \S+, quanti \S+\?)$/)[1];
    }
  };
  // Enter on every box until the next pupil's name prompt.
  tab.closeBoxes = async () => {
    for (let i = 0; i < 100 && (await tab.shownTitles()).join("|") !== "Ponderine"; i++) {
      await tab.press("Enter");
      await pause(300);
    }
    await tab.waitForWindows("Ponderine");
  };
  // Enter on every box until the page reloads at the next name prompt; the
  // page was marked beforehand (ponderineSamePage). False if it does not.
  tab.reloadsAtPrompt = async () => {
    for (let i = 0; i < 300; i++) {
      if (await page.evaluate(() => window.ponderineSamePage !== true).catch(() => false))
        return true;
      const titles = await tab.shownTitles().catch(() => []);
      if (titles.length > 0 && titles.join("|") !== "Ponderine")
        await tab.press("Enter").catch(() => {});
      await pause(200);
    }
    return false;
  };
  // The record, as the window shows it.
  tab.record = async () => (await tab.axTexts()).filter(text => /del record/.test(text)).join("; ");
  // What the site's IndexedDB holds, read from IndexedDB itself: each file's
  // name and its bytes as Latin-1 text (Windows-1252 for these names).
  tab.storedFiles = () => page.evaluate(() => new Promise((done, fail) => {
    const opened = indexedDB.open("/ponderine");
    opened.onerror = () => fail(opened.error);
    opened.onsuccess = () => {
      const files = opened.result.transaction("FILE_DATA").objectStore("FILE_DATA");
      const all = files.getAll(), keys = files.getAllKeys();
      all.transaction.oncomplete = () => {
        opened.result.close();
        const text = bytes => bytes ? String.fromCharCode(...Array.from(bytes, c => c & 0xff)) : null;
        done(Object.fromEntries(keys.result.map((key, k) => [key, text(all.result[k].contents)])));
      };
    };
  }));
  return tab;
}

// What each response of the page's came with, and its bytes over the
// network, by file name.
function watchTransfers(cdp) {
  const sent = new Map();
  cdp.on("Network.responseReceived", ({ requestId, response }) => {
    const headers = Object.fromEntries(Object.entries(response.headers).map(([k, v]) => [k.toLowerCase(), v]));
    sent.set(requestId, { name: new URL(response.url).pathname.split("/").pop(), headers, bytes: 0 });
  });
  cdp.on("Network.loadingFinished", ({ requestId, encodedDataLength }) => {
    if (sent.has(requestId))
      sent.get(requestId).bytes = encodedDataLength;
  });
  return sent;
}

// The game and its scripts as a server with the shipped settings sends
// them (SERVER names it): of their type, compressed ahead with brotli, and
// no more bytes than that. Returns the bytes of the whole visit.
function checkTransfers(server, sent) {
  const all = [...sent.values()];
  for (const [name, type] of [["ponderine.wasm", /^application\/wasm$/], ["ponderine.js", /^text\/javascript\b/],
                              ["qtloader.js", /^text\/javascript\b/], ["page.js", /^text\/javascript\b/]]) {
    const got = all.find(t => t.name === name);
    const shipped = path.join(site, name + ".br");
    const brotli = fs.existsSync(shipped) ? fs.statSync(shipped).size : 0;
    check(`${server} sends ${name} compressed ahead`, got && type.test(got.headers["content-type"]) &&
          got.headers["content-encoding"] === "br" && got.bytes < brotli + 2048,
          got && `${got.headers["content-type"]}, ${got.headers["content-encoding"]}, ${got.bytes} bytes of ${brotli}`);
  }
  return all.reduce((sum, t) => sum + t.bytes, 0);
}

async function main() {
  // The site as a school hosts it: the zip's folder on Debian's nginx, in
  // a folder of the server's, with the settings the site ships.
  const www = fs.mkdtempSync(path.join(os.tmpdir(), "ponderine-www-"));
  fs.cpSync(site, path.join(www, "ponderine"), { recursive: true });
  const shipped = await nginx(www, `include ${www}/ponderine/ponderine.nginx.conf;`);
  const url = shipped.url + "ponderine/";
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), "ponderine-chromium-"));
  const launch = (args = []) => {
    const options = chromiumOptions(profile);
    return puppeteer.launch({ ...options, args: [...options.args, ...args], protocolTimeout: 30000 });
  };
  let browser = await launch();
  const page = await browser.newPage();
  const tab = await tabDriver(page);
  const { cdp, waitForWindows, waitForText, press, typeText, startGame, checkHeard } = tab;

  // A whole game.
  await page.setViewport({ width: 1366, height: 768 });
  await cdp.send("Network.enable");
  const firstVisit = watchTransfers(cdp);
  const navigated = Date.now();
  await page.goto(url);
  await waitForWindows("Ponderine");
  console.log(`name prompt ${Date.now() - navigated} ms after navigation`);
  const firstBytes = checkTransfers("nginx", firstVisit);
  // Three quarters of what the site cost gzip'd, 6,096,318 bytes.
  check("the first visit's bytes", firstBytes <= 0.75 * 6096318, `${firstBytes} bytes`);
  await cdp.send("Network.disable");
  await page.screenshot({ path: path.join(shots, "1366x768-prompt.png") });
  const bar = await page.evaluate(() => ["aria-label", "aria-valuetext"].map(name =>
    document.getElementById("barra").getAttribute(name)).join(": "));
  check("the progress bar's name and text", bar === "Caricamento di Ponderine: Preparazione del gioco… 100 %", bar);
  await waitForText(/Come ti chiami\?/);
  const english = (await tab.axTexts()).filter(text => /Enable|Screen Reader/.test(text));
  check("the elements for assistive tools there from the start, with nothing in English", !english.length,
        english.join("; "));
  const first = await startGame("Niccolò", "1366x768-question.png");
  check("the name typed", /Sfidante: Niccolò$/.test(first.challenger), first.challenger);
  await checkHeard("the name prompt", /^Ponderine\. Come ti chiami\?$/);
  await checkHeard("the greeting", /^Ponderine\. Niccolò vediamo se sei un vero campione$/);
  await checkHeard("the first question", new RegExp(`^${literally(first.question)}$`));
  // A tab in the background: its timers stop (frozen here; slowed, in
  // life), and the countdown still keeps to the real clock.
  const secondsLeft = async () => {
    const [, h, m, s] = (await waitForText(/Tempo restante: \d/)).match(/(\d+):(\d+):(\d+)/);
    return Number(h) * 3600 + Number(m) * 60 + Number(s);
  };
  const leftBefore = await secondsLeft();
  await cdp.send("Page.setWebLifecycleState", { state: "frozen" });
  await pause(6000);
  await cdp.send("Page.setWebLifecycleState", { state: "active" });
  await pause(1500);
  const leftAfter = await secondsLeft();
  check("the countdown keeps to the real clock in a frozen tab", leftBefore - leftAfter >= 6,
        `${leftBefore} s, then ${leftAfter} s`);

  const right = answerFor(first.question);
  await typeText(right);
  await press("Enter");
  const verdict = await waitForText(/Messaggio: /);
  check(`a right answer (${first.question} ${right})`, /Esatto/.test(verdict), verdict);
  await checkHeard("the verdict and the counters", /^Esatto, è incredibile!!!; risposte esatte 1, errate 0, totali 1$/);
  fs.writeFileSync(path.join(shots, "accessibility-after-verdict.txt"), (await tab.axTexts()).join("\n") + "\n");
  await page.screenshot({ path: path.join(shots, "1366x768-verdict.png") });

  await press("Enter");
  await waitForText(/\| Messaggio$/);
  const next = await tab.heard(/quanti \S+\?$/);
  await typeText("0");
  const typed = await waitForText(/Risposta \| 0( \||$)/);
  check("the answer box's name and value", !!typed, typed);
  await press("Enter");
  const wrong = await waitForText(/Risposte errate: 1/);
  check("a wrong answer counted", !!wrong, wrong);
  await checkHeard("the verdict with the right answer",
                   new RegExp(`^Sbagliato!! ${literally(answerFor(next))}; risposte esatte 1, errate 1, totali 2$`));
  const counters = (await tab.axTexts()).filter(text => /Risposte (esatte|errate|totali)/.test(text));
  check("the counters", counters.some(t => /esatte: 1/.test(t)) && counters.some(t => /totali: 2/.test(t)),
        counters.join("; "));

  await tab.pressWith("Alt", "t");
  await checkHeard("the time left, asked for", /^Tempo restante: 00:1[0-4]:[0-5]\d$/);

  await tab.pressWith("Alt", "x");
  const farewell = await waitForText(/Ciao a presto\. Ore \d+/);
  check("the farewell", !!farewell, farewell);
  await checkHeard("the farewell", /^Data .+\. Ciao a presto\. Ore \d+$/);
  await press("Enter");
  const saved = await waitForText(/Ok ho registrato il tuo record, C A M P I O N E"/);
  check("the record box", !!saved, saved);
  await checkHeard("the record box", /^Ponderine\. Ok ho registrato il tuo record, C A M P I O N E"$/);
  const stored = JSON.stringify(await tab.storedFiles());
  check("IndexedDB holds the two files and nothing else",
        stored === JSON.stringify({ "/ponderine/ntvk.txt": "Niccol\xf2\r\n", "/ponderine/tvk.txt": "1\r\n" }), stored);
  await press("Enter");
  await waitForWindows("Ponderine");
  check("the next pupil's name prompt", true);
  await checkHeard("the next pupil's name prompt", /^Ponderine\. Come ti chiami\?$/);

  // The record kept across a reload; by now the page works offline too.
  await page.evaluate(() => navigator.serviceWorker.ready);
  await page.reload();
  // A name that is markup stays text, for the eye and for a screen reader.
  const markup = "<img src=x onerror=ponderineRan=1>";
  const second = await startGame(markup, "1366x768-record-kept.png");
  check("a name that is markup shown as typed", second.challenger.endsWith(`Sfidante: ${markup}`), second.challenger);
  check("a name that is markup never runs", await page.evaluate(() => typeof ponderineRan === "undefined"));
  const record = await tab.record();
  check("the record kept after a reload", /Niccolò/.test(record) && /: 1(;|$)/.test(record), record);

  // The browser refuses the write-out part-way, at the holder's file (a full
  // quota): the pupil is told, and IndexedDB keeps the old pair whole.
  await tab.answerRight(2);
  await page.evaluate(() => {
    const put = IDBObjectStore.prototype.put;
    IDBObjectStore.prototype.put = function (value, key) {
      if (/\/ntvk\.txt$/.test(String(key)))
        throw new DOMException("the quota is full", "QuotaExceededError");
      return put.call(this, value, key);
    };
  });
  await tab.activate("Esci");
  await waitForText(/Ciao a presto\. Ore \d+/);
  await press("Enter");
  const refusedSave = await waitForText(/Impossibile salvare il record in /);
  check("a write-out refused part-way is told", !!refusedSave, refusedSave);
  await tab.closeBoxes();
  const afterRefusal = JSON.stringify(await tab.storedFiles());
  check("a write-out refused part-way keeps the old pair whole",
        afterRefusal === JSON.stringify({ "/ponderine/ntvk.txt": "Niccol\xf2\r\n", "/ponderine/tvk.txt": "1\r\n" }),
        afterRefusal);

  await cdp.send("Network.emulateNetworkConditions", { offline: true, latency: 0, downloadThroughput: -1,
                                                      uploadThroughput: -1 });
  await page.reload();
  await waitForWindows("Ponderine");
  check("the game starts with the network cut", true);
  await cdp.send("Network.emulateNetworkConditions", { offline: false, latency: 0, downloadThroughput: -1,
                                                      uploadThroughput: -1 });

  // A phone: the window scaled down whole to fit.
  await page.setViewport({ width: 390, height: 844, isMobile: true, hasTouch: true, deviceScaleFactor: 2 });
  await page.reload();
  await waitForWindows("Ponderine");
  await tab.settle();
  await press("Enter");
  await tab.settle();
  await press("Enter");
  await waitForWindows("Giocare con le ponderine");
  await waitForText(/quanti \S+\?$/);
  await page.screenshot({ path: path.join(shots, "390x844-question.png") });

  // A tablet, by touch alone: the boxes, the name box and the answer box
  // with their on-screen keyboard (the page's input takes the focus), the
  // buttons. In a tab of its own: in the tab that was frozen above,
  // Chromium no longer answers a touch sent through DevTools.
  const tablet = await tabDriver(await browser.newPage());
  await tablet.page.setViewport({ width: 768, height: 1024, isMobile: true, hasTouch: true, deviceScaleFactor: 2 });
  await tablet.page.goto(url);
  await tablet.waitForWindows("Ponderine");
  await tablet.settle();
  const keyboardUp = () => tablet.page.evaluate(() => document.activeElement?.tagName === "INPUT");
  await tablet.page.evaluate(() => document.activeElement?.blur());
  await tablet.tap("name box");
  check("a tap on the name box calls up the keyboard", await keyboardUp());
  await tablet.typeText("Tina");
  await tablet.tap("OK");
  await tablet.waitForWindows("Ponderine");
  await tablet.settle();
  await tablet.tap("box OK");
  await tablet.waitForWindows("Giocare con le ponderine");
  check("the name prompt and the greeting answer a tap", /Sfidante: Tina$/.test(await tablet.waitForText(/Sfidante: /)));
  await tablet.waitForText(/quanti \S+\?$/);
  await tablet.page.evaluate(() => document.activeElement?.blur());
  await tablet.tap("Risposta");
  check("a tap on the answer box calls up the keyboard", await keyboardUp());
  await tablet.typeText("0");
  await tablet.press("Enter");
  await tablet.waitForText(/Risposte errate: 1/);
  await tablet.page.screenshot({ path: path.join(shots, "768x1024-verdict.png") });
  await tablet.tap("Nuovo calcolo");
  check("a tap on Nuovo calcolo poses the next question", !!(await tablet.waitForText(/\| Messaggio$/)));
  await tablet.tap("Esci");
  await tablet.waitForText(/Ciao a presto\. Ore \d+/);
  await tablet.settle();
  await tablet.tap("box OK");
  await tablet.waitForWindows("Ponderine");
  check("Esci and the farewell answer a tap", true);
  await tablet.page.close();

  // Two tabs of the site end their games at once: the higher score is kept,
  // though the lower saves last.
  await page.setViewport({ width: 1366, height: 768 });
  await page.reload();
  const other = await tabDriver(await browser.newPage());
  await other.page.setViewport({ width: 1366, height: 768 });
  await other.page.goto(url);
  for (const [player, name, score] of [[tab, "Ada", 2], [other, "Bruno", 3]]) {
    await player.page.bringToFront();
    await player.startGame(name);
    await player.answerRight(score);
  }
  await Promise.all([tab, other].map(player => player.activate("Esci")));
  await Promise.all([tab, other].map(player => player.waitForText(/Ciao a presto\. Ore \d+/)));
  // The higher score's farewell closed first: the other tab's save then
  // waits for it, and finds the higher record stored, not what it read at
  // its start.
  for (const player of [other, tab])
    await player.press("Enter");
  await Promise.all([tab, other].map(player => player.closeBoxes()));
  await other.page.close();

  // The browser closed and started anew: the record is still there. It
  // starts with a school's policy that blocks the data of a second copy of
  // the site (another port, another site to the browser), for below.
  await browser.close();
  const refused = await serve(site);
  const policy = "/etc/chromium/policies/managed/ponderine-test.json";
  fs.mkdirSync(path.dirname(policy), { recursive: true });
  fs.writeFileSync(policy, JSON.stringify({ CookiesBlockedForUrls: [refused.url.replace(/\/$/, "")] }));
  // Kept until the test ends: Chromium reads its policies after it starts,
  // and on a busy machine it found the file already gone.
  process.on("exit", () => fs.rmSync(policy, { force: true }));
  // A name of the school's network maps to this machine, served over
  // plain HTTP, as below.
  browser = await launch(["--host-resolver-rules=MAP scuola.lan 127.0.0.1"]);
  const again = await tabDriver(await browser.newPage());
  await again.page.setViewport({ width: 1366, height: 768 });
  await again.page.goto(url);
  await again.startGame("Carla");
  const kept = await again.record();
  check("two tabs at once keep the higher score, across a browser restart",
        /Bruno/.test(kept) && /: 3(;|$)/.test(kept), kept);

  // Plain HTTP on the school's network: no offline copy, and the page
  // says so while the game loads; the game plays online.
  await again.page.goto(url.replace("127.0.0.1", "scuola.lan"));
  const insecure = await again.page.evaluate(() => document.getElementById("avviso").textContent);
  await again.waitForWindows("Ponderine");
  check("plain HTTP on the school's network told, and the game plays", /solo con la rete/.test(insecure), insecure);

  // Storage the browser refuses: the pupil is told, as of a folder that
  // cannot be written, and the game goes on.
  await again.page.goto(refused.url);
  await again.waitForWindows("Ponderine");
  await again.settle();
  await again.press("Enter");
  await again.settle();
  await again.press("Enter");
  const told = await again.waitForText(/Impossibile creare il file del record /);
  check("refused storage told, as on the desktop", !!told, told);
  await again.press("Enter");
  await again.waitForWindows("Giocare con le ponderine");
  check("the game goes on after refused storage", !!(await again.waitForText(/quanti \S+\?$/)));
  refused.server.close();

  // A school's server: Debian's nginx with its default headers, which let
  // the browser's HTTP cache keep a file for a tenth of its age without
  // asking. The copy in /3a/ was unpacked a month ago.
  const schoolRoot = fs.mkdtempSync(path.join(os.tmpdir(), "ponderine-school-"));
  const unpack = (from, folder, daysOld) => {
    const into = path.join(schoolRoot, folder);
    fs.rmSync(into, { recursive: true, force: true });
    fs.cpSync(from, into, { recursive: true });
    const then = new Date(Date.now() - daysOld * 86400000);
    for (const name of fs.readdirSync(into))
      fs.utimesSync(path.join(into, name), then, then);
  };
  unpack(site, "3a", 30);
  const school = await nginx(schoolRoot, "location /tutto/ { try_files $uri /tutto/index.html; }");
  const pupil = await tabDriver(await browser.newPage());
  await pupil.page.setViewport({ width: 1366, height: 768 });
  await pupil.page.goto(school.url + "3a/");
  await pupil.waitForWindows("Ponderine");
  await pupil.page.evaluate(() => navigator.serviceWorker.ready);
  // The next build put on the server during a game, and found by the
  // browser's own check: it waits, and the game goes on.
  await pupil.page.evaluate(() => { window.ponderineSamePage = true; });
  await pupil.startGame("Dario");
  unpack(nextSite, "3a", 0);
  const waiting = await pupil.page.evaluate(async () => {
    const registration = await navigator.serviceWorker.getRegistration();
    await registration.update();
    for (let i = 0; i < 300 && !registration.waiting; i++)
      await new Promise(resolve => setTimeout(resolve, 100));
    return !!registration.waiting;
  });
  await pause(1000);
  check("the next build waits during a game", waiting &&
        await pupil.page.evaluate(() => window.ponderineSamePage === true &&
                                         !!document.getElementById("qt-shadow-container")));
  await pupil.activate("Esci");
  await pupil.waitForText(/Ciao a presto\. Ore \d+/);
  // The boxes closed, at the next name prompt the page takes it, whole:
  // every file as the next build has it, none of the build before.
  check("the next build taken at the next name prompt", await pupil.reloadsAtPrompt());
  await pupil.waitForWindows("Ponderine");
  // The offline copy: one for the folder, every file of it the next build's.
  const names = Object.keys(JSON.parse(fs.readFileSync(path.join(nextSite, "sw.js"), "utf8")
                                         .match(/^const files = (\{.*\});$/m)[1]));
  const { copies, served } = await pupil.page.evaluate(async names => {
    const { scope } = await navigator.serviceWorker.getRegistration();
    const copies = (await caches.keys()).filter(name => name.startsWith(`ponderine ${scope} `));
    const served = {};
    for (const name of names) {
      const kept = await caches.match(name, { cacheName: copies[0] });
      served[name] = kept && [...new Uint8Array(await crypto.subtle.digest("SHA-256", await kept.arrayBuffer()))]
        .map(byte => byte.toString(16).padStart(2, "0")).join("");
    }
    return { copies, served };
  }, names);
  const mixed = names.filter(name => served[name] !== crypto.createHash("sha256")
                                                    .update(fs.readFileSync(path.join(nextSite, name))).digest("hex"));
  if (copies.length !== 1)
    mixed.push(`${copies.length} copies`);
  check("every file of the next build, none of the one before", mixed.length === 0, mixed.join(", "));

  // Bad ground: each told as it is, in Italian. A disk; a copy without the
  // game's .wasm; one with it cut short; a server that answers every
  // address with the page.
  const ground = await browser.newPage();
  const tells = async (address, pattern, what) => {
    await ground.goto(address);
    let text = "";
    for (let i = 0; i < 100 && !pattern.test(text); i++) {
      text = await ground.evaluate(() => document.getElementById("stato").textContent);
      await pause(100);
    }
    check(what, pattern.test(text), text);
  };
  await tells(`file://${path.resolve(site)}/index.html`, /non si apre da un file sul disco/, "opened from a disk");
  for (const folder of ["manca", "tutto", "tronco"])
    unpack(site, folder, 0);
  for (const folder of ["manca", "tutto"])
    fs.rmSync(path.join(schoolRoot, folder, "ponderine.wasm"));
  const wasm = path.join(schoolRoot, "tronco", "ponderine.wasm");
  fs.truncateSync(wasm, fs.statSync(wasm).size - 4096);
  await tells(school.url + "manca/", /manca il file del gioco \(ponderine\.wasm, errore 404\)/, "a .wasm missing");
  await tells(school.url + "tutto/", /il server ha mandato una pagina web/, "a server that answers with its page");
  await tells(school.url + "tronco/", /arrivato incompleto/, "a .wasm cut short");
  await ground.close();

  // A second copy in a sibling folder, of another build: each starts with
  // the server down after the other's visit.
  unpack(site, "prova", 30);
  await pupil.page.goto(school.url + "prova/");
  await pupil.waitForWindows("Ponderine");
  await pupil.page.evaluate(() => navigator.serviceWorker.ready);
  await school.close();
  for (const folder of ["3a", "prova"]) {
    await pupil.page.goto(school.url + folder + "/").catch(() => {});
    check(`/${folder}/ starts offline beside its sibling`,
          await pupil.waitForWindows("Ponderine").then(() => true, () => false));
  }
  await pupil.page.close();
  fs.rmSync(schoolRoot, { recursive: true, force: true });

  // The whole game on Debian's Apache, with the site's .htaccess.
  // On a tablet, turned during the game from 1024x768 to 768x1024: the
  // window is fitted anew at the next name prompt.
  const onApache = await apache(www);
  const visitor = await tabDriver(await browser.newPage());
  await visitor.page.setViewport({ width: 1024, height: 768 });
  await visitor.cdp.send("Network.enable");
  const apacheVisit = watchTransfers(visitor.cdp);
  await visitor.page.goto(onApache.url + "ponderine/");
  await visitor.startGame("Elio");
  checkTransfers("Apache", apacheVisit);
  await visitor.page.setViewport({ width: 768, height: 1024 });
  await visitor.answerRight(1);
  await visitor.page.evaluate(() => { window.ponderineSamePage = true; });
  await visitor.activate("Esci");
  await visitor.waitForText(/Ciao a presto\. Ore \d+/);
  check("a whole game on Apache, and a turned page reloads at the next name prompt", await visitor.reloadsAtPrompt());
  await visitor.waitForWindows("Ponderine");
  await visitor.settle();
  const outside = await visitor.outside();
  await visitor.press("Enter");
  await visitor.settle();
  await visitor.press("Enter");
  await visitor.waitForWindows("Giocare con le ponderine");
  await visitor.waitForText(/quanti \S+\?$/);
  outside.push(...await visitor.outside());
  check("the turned page shows the name prompt and the game whole", outside.length === 0, outside.join("; "));
  await visitor.page.screenshot({ path: path.join(shots, "768x1024-turned.png") });
  await visitor.page.close();
  await onApache.close();

  // A strict Content-Security-Policy: the site's own scripts and
  // WebAssembly only, no inline script or style; the game plays.
  const strict = await serve(site, { "Content-Security-Policy": "default-src 'self'; script-src 'self' 'wasm-unsafe-eval'" });
  const guarded = await tabDriver(await browser.newPage());
  await guarded.page.setViewport({ width: 1366, height: 768 });
  await guarded.page.evaluateOnNewDocument(() => {
    window.ponderineRefused = [];
    document.addEventListener("securitypolicyviolation",
                              event => window.ponderineRefused.push(`${event.violatedDirective} ${event.blockedURI}`));
  });
  await guarded.page.goto(strict.url);
  await guarded.startGame("Fede");
  await guarded.answerRight(1);
  // Qt's own window style (an inline <style>, whose rules the page applies
  // from script) and its mouse pointers (data: images) are refused, and
  // said; no script is.
  const refusedByPolicy = await guarded.page.evaluate(() => window.ponderineRefused);
  console.log(`refused by the policy: ${[...new Set(refusedByPolicy)].join("; ")}`);
  check("the game plays under a strict Content-Security-Policy, no script refused",
        !refusedByPolicy.some(refused => /^script/.test(refused)), refusedByPolicy.join("; "));
  const frame = await guarded.page.evaluate(() => [...document.getElementById("qt-shadow-container").shadowRoot
    .querySelectorAll(".qt-window")].filter(w => w.style.display !== "none").map(w => getComputedStyle(w).borderTopWidth).join());
  check("Qt's window style applies under the policy: the window has its frame", frame === "4px", frame);
  await guarded.page.close();
  strict.server.close();

  await browser.close();
  await shipped.close();
  fs.rmSync(www, { recursive: true, force: true });
  console.log(failures ? `${failures} check(s) failed` : "all checks passed");
  process.exit(failures ? 1 : 0);
}

main().catch(error => {
  console.log("FAIL", error.stack || error);
  process.exit(1);
});
