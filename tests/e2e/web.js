// A whole game of the web build in headless Chromium, with the browser in
// Italian, driven through puppeteer-core: the name typed, the question read
// from the accessibility tree, a right and a wrong answer judged, the
// counters, Exit, the farewell and the record box, the next game's name
// prompt; a reload that shows the record kept; a reload with the network cut;
// a phone's and a tablet's screen. Screenshots, and the accessibility tree after a verdict,
// go to SHOTS. Prints the time from navigation to the name prompt.
// Usage: node tests/e2e/web.js SITE SHOTS
"use strict";
const fs = require("fs");
const os = require("os");
const path = require("path");
const puppeteer = require("puppeteer-core");
const { serve, chromiumOptions, shownTitles: titlesOf } = require("./webserver.js");

const [site, shots] = process.argv.slice(2);
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

async function main() {
  const { server, url } = await serve(site);
  const browser = await puppeteer.launch({ ...chromiumOptions(fs.mkdtempSync(path.join(os.tmpdir(), "ponderine-chromium-"))),
                                          protocolTimeout: 30000 });
  const page = await browser.newPage();
  const cdp = await page.createCDPSession();
  await cdp.send("Emulation.setLocaleOverride", { locale: "it-IT" });
  await cdp.send("Accessibility.enable");
  page.on("pageerror", error => console.log("page error:", error.message));

  const shownTitles = () => titlesOf(page);
  // Waits until the windows shown are those titled TITLES, in their order.
  const waitForWindows = async (...titles) => {
    for (let i = 0; i < 600; i++) {
      if ((await shownTitles()).join("|") === titles.join("|"))
        return;
      await new Promise(resolve => setTimeout(resolve, 100));
    }
    throw new Error(`not the windows ${titles.join(", ")}: ${await shownTitles()}`);
  };
  // Qt makes its page elements for assistive tools once its hidden button is pressed.
  const enableScreenReader = () => page.evaluate(() => {
    const root = document.getElementById("qt-shadow-container").shadowRoot;
    for (const button of root.querySelectorAll("button"))
      if (button.textContent === "Enable Screen Reader")
        button.click();
  });
  const axTexts = async () => {
    const { nodes } = await cdp.send("Accessibility.getFullAXTree");
    return nodes.filter(node => !node.ignored).map(node => [node.role?.value, node.name?.value, node.value?.value,
                                                          node.description?.value].filter(Boolean).join(" | "));
  };
  const waitForText = async pattern => {
    for (let i = 0; i < 300; i++) {
      const found = (await axTexts()).find(text => pattern.test(text));
      if (found)
        return found;
      await new Promise(resolve => setTimeout(resolve, 100));
    }
    throw new Error(`not in the accessibility tree: ${pattern}\n${(await axTexts()).join("\n")}`);
  };
  const press = async key => { await page.keyboard.press(key); };
  const typeText = async text => {
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
  const activate = name => page.evaluate(name => {
    const root = document.getElementById("qt-shadow-container").shadowRoot;
    [...root.querySelectorAll("button")].find(b => b.textContent === name).click();
  }, name);
  const settle = () => new Promise(resolve => setTimeout(resolve, 500));
  // The name typed at the prompt, the greeting closed; the question read.
  // The pupil clicks into the name box first: Qt 6.8 takes a page's typed
  // text through an input of its own, which a click gives the focus.
  const startGame = async (name, shot) => {
    await waitForWindows("Ponderine");
    await settle();
    const prompt = await page.evaluate(() => {
      const root = document.getElementById("qt-shadow-container").shadowRoot;
      const r = [...root.querySelectorAll(".qt-window")].find(w => w.style.display !== "none").getBoundingClientRect();
      return { x: r.x + r.width / 2, y: r.y + r.height * 0.55 };
    });
    await page.mouse.click(prompt.x, prompt.y);
    check("the name box has the typing focus", await page.evaluate(() => document.activeElement?.tagName === "INPUT"));
    await typeText(name);
    await press("Enter");
    await settle();
    await press("Enter");
    await waitForWindows("Giocare con le ponderine");
    await enableScreenReader();
    const question = (await waitForText(/quanti \S+\?$/)).match(/(\d+ \S+, quanti \S+\?)$/)[1];
    if (shot)
      await page.screenshot({ path: path.join(shots, shot) });
    return { question, challenger: await waitForText(/Sfidante: / ) };
  };

  // A whole game.
  await page.setViewport({ width: 1366, height: 768 });
  const navigated = Date.now();
  await page.goto(url);
  await waitForWindows("Ponderine");
  console.log(`name prompt ${Date.now() - navigated} ms after navigation`);
  await page.screenshot({ path: path.join(shots, "1366x768-prompt.png") });
  const first = await startGame("Niccolò", "1366x768-question.png");
  check("the name typed", /Sfidante: Niccolò$/.test(first.challenger), first.challenger);
  // A tab in the background: its timers stop (frozen here; slowed, in
  // life), and the countdown still keeps to the real clock.
  const secondsLeft = async () => {
    const [, h, m, s] = (await waitForText(/Tempo restante: \d/)).match(/(\d+):(\d+):(\d+)/);
    return Number(h) * 3600 + Number(m) * 60 + Number(s);
  };
  const leftBefore = await secondsLeft();
  await cdp.send("Page.setWebLifecycleState", { state: "frozen" });
  await new Promise(resolve => setTimeout(resolve, 6000));
  await cdp.send("Page.setWebLifecycleState", { state: "active" });
  await new Promise(resolve => setTimeout(resolve, 1500));
  const leftAfter = await secondsLeft();
  check("the countdown keeps to the real clock in a frozen tab", leftBefore - leftAfter >= 6,
        `${leftBefore} s, then ${leftAfter} s`);

  const right = answerFor(first.question);
  await typeText(right);
  await press("Enter");
  const verdict = await waitForText(/Messaggio: /);
  check(`a right answer (${first.question} ${right})`, /Esatto/.test(verdict), verdict);
  fs.writeFileSync(path.join(shots, "accessibility-after-verdict.txt"), (await axTexts()).join("\n") + "\n");
  await page.screenshot({ path: path.join(shots, "1366x768-verdict.png") });

  await press("Enter");
  await waitForText(/\| Messaggio$/);
  await typeText("0");
  await press("Enter");
  const wrong = await waitForText(/Risposte errate: 1/);
  check("a wrong answer counted", !!wrong, wrong);
  const counters = (await axTexts()).filter(text => /Risposte (esatte|errate|totali)/.test(text));
  check("the counters", counters.some(t => /esatte: 1/.test(t)) && counters.some(t => /totali: 2/.test(t)),
        counters.join("; "));

  await activate("Esci");
  const farewell = await waitForText(/Ciao a presto\. Ore \d+/);
  check("the farewell", !!farewell, farewell);
  await press("Enter");
  const saved = await waitForText(/Ok ho registrato il tuo record, C A M P I O N E"/);
  check("the record box", !!saved, saved);
  await press("Enter");
  await waitForWindows("Ponderine");
  check("the next pupil's name prompt", true);

  // The record kept across a reload; by now the page works offline too.
  await page.evaluate(() => navigator.serviceWorker.ready);
  await page.reload();
  await startGame("Ada", "1366x768-record-kept.png");
  const record = (await axTexts()).filter(text => /del record/.test(text));
  check("the record kept after a reload", record.some(t => /Niccolò/.test(t)) && record.some(t => /: 1$/.test(t)),
        record.join("; "));

  await cdp.send("Network.emulateNetworkConditions", { offline: true, latency: 0, downloadThroughput: -1,
                                                      uploadThroughput: -1 });
  await page.reload();
  await waitForWindows("Ponderine");
  check("the game starts with the network cut", true);
  await cdp.send("Network.emulateNetworkConditions", { offline: false, latency: 0, downloadThroughput: -1,
                                                      uploadThroughput: -1 });

  // A phone and a tablet, with touch: the window scaled down whole to fit.
  const pupilWithoutName = async (width, height) => {
    await page.setViewport({ width, height, isMobile: true, hasTouch: true, deviceScaleFactor: 2 });
    await page.reload();
    await waitForWindows("Ponderine");
    await settle();
    await press("Enter");
    await settle();
    await press("Enter");
    await waitForWindows("Giocare con le ponderine");
    await enableScreenReader();
    await waitForText(/quanti \S+\?$/);
    await page.screenshot({ path: path.join(shots, `${width}x${height}-question.png`) });
  };
  await pupilWithoutName(390, 844);
  await pupilWithoutName(768, 1024);

  await browser.close();
  server.close();
  console.log(failures ? `${failures} check(s) failed` : "all checks passed");
  process.exit(failures ? 1 : 0);
}

main().catch(error => {
  console.log("FAIL", error.stack || error);
  process.exit(1);
});
