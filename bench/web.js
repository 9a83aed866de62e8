// The web build against its floor, a bare Qt widgets page built with the
// same Qt (floor_prompt.cpp): the time from navigation to the name prompt in
// headless Chromium, with nothing cached, and the bytes that came over the
// network, gzip'd as a server sends them; the median of RUNS loads each.
// Then the game's bytes through Debian's nginx with the settings the site
// ships, which send it compressed ahead with brotli.
// Then the game's work for a new question: the main thread's busy time from
// the release of "Nuovo calcolo" through the frame that shows the new question,
// from Chromium's own trace, over CLICKS clicks.
// Prints "key value" lines for docs/performance.md.
// Usage: node bench/web.js SITE FLOOR_DIR [RUNS] [CLICKS]
"use strict";
const fs = require("fs");
const os = require("os");
const path = require("path");
const puppeteer = require("puppeteer-core");
const { serve, nginx, chromiumOptions, shownTitles } = require("../tests/e2e/webserver.js");

const [site, floorDir, runs = "15", clicks = "30"] = process.argv.slice(2);
const median = values => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

async function load(browser, url) {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  const cdp = await page.createCDPSession();
  await cdp.send("Network.enable");
  await cdp.send("Network.setCacheDisabled", { cacheDisabled: true });
  let bytes = 0;
  cdp.on("Network.loadingFinished", event => { bytes += event.encodedDataLength; });
  const started = Date.now();
  await page.goto(url);
  while ((await shownTitles(page)).length === 0) {
    if (Date.now() - started > 60000)
      throw new Error(`no window shown by ${url}`);
    await new Promise(resolve => setTimeout(resolve, 10));
  }
  const ms = Date.now() - started;
  await context.close();
  return { ms, bytes };
}

const pause = ms => new Promise(resolve => setTimeout(resolve, ms));

// The renderer's busy time for each click of "Nuovo calcolo": every task its
// main thread ran from the release until 150 ms later (the repaint, on the
// next frame, falls inside; the clicks are 400 ms apart, each after an
// answer typed, which "Nuovo calcolo" waits for), and from the press on.
async function newQuestionWork(browser, url, count, screenReader) {
  // A page past the name prompt and the greeting, with no name. The page
  // makes the elements for assistive tools from the start (web/a11y.js);
  // without SCREENREADER it comes without that script, as Qt's own page.
  const open = async () => {
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    if (!screenReader) {
      await page.setRequestInterception(true);
      page.on("request", request => /\/a11y\.js$/.test(request.url())
        ? request.respond({ status: 200, contentType: "text/javascript", body: "" }) : request.continue());
    }
    await page.setViewport({ width: 1366, height: 768 });
    await page.goto(url);
    const waitFor = async titles => {
      for (let i = 0; (await shownTitles(page)).join("|") !== titles; i++) {
        if (i > 600)
          throw new Error(`not the windows ${titles}`);
        await pause(100);
      }
    };
    await waitFor("Ponderine");
    await pause(500);
    await page.keyboard.press("Enter");
    await pause(500);
    await page.keyboard.press("Enter");
    await waitFor("Giocare con le ponderine");
    return { context, page };
  };
  // Qt's elements for assistive tools lie where their controls are; they
  // are found in a page of their own unless SCREENREADER, as they cost work.
  const placesOf = (page, names) => page.evaluate(async names => {
    const root = document.getElementById("qt-shadow-container").shadowRoot;
    for (const b of root.querySelectorAll("button"))
      if (b.textContent === "Enable Screen Reader")
        b.click();
    const places = [];
    for (const name of names) {
      for (let i = 0; i < 100 && places.length < names.indexOf(name) + 1; i++) {
        const found = [...root.querySelectorAll("button, input")]
          .find(e => e.textContent === name || e.getAttribute("aria-label") === name);
        if (found) {
          const r = found.getBoundingClientRect();
          places.push({ x: r.x + r.width / 2, y: r.y + r.height / 2 });
        } else {
          await new Promise(resolve => setTimeout(resolve, 100));
        }
      }
    }
    if (places.length < names.length)
      throw new Error(`not all of ${names}`);
    return places;
  }, names);
  let { context, page } = await open();
  const [button, answerBox] = await placesOf(page, ["Nuovo calcolo", "Risposta"]);
  if (!screenReader) {
    await context.close();
    ({ context, page } = await open());
  }
  // What the window shows, as a screen reader's elements hold it or, without
  // them, as the canvases draw it.
  const question = () => page.evaluate(() => [...document.getElementById("qt-shadow-container").shadowRoot
    .querySelectorAll("input, canvas")].map(e => e.tagName === "CANVAS" ? e.toDataURL().length
                                                                      : e.getAttribute("aria-description")).join("|"));
  // Qt takes typed text once a click has been in one of its boxes.
  await page.mouse.click(answerBox.x, answerBox.y);
  await page.tracing.start({ categories: ["devtools.timeline", "disabled-by-default-devtools.timeline"] });
  let changed = 0;
  for (let i = 0; i < count; i++) {
    // "Nuovo calcolo" waits for an answer.
    await page.keyboard.type("0");
    await page.keyboard.press("Enter");
    await pause(300);
    const before = await question();
    // Held for a tenth of a second, as a pupil's press: the button is drawn
    // pressed in a frame of its own, and the new question comes on release.
    await page.mouse.click(button.x, button.y, { delay: 100 });
    await pause(400);
    if ((await question()) !== before)
      changed++;
  }
  const trace = JSON.parse(Buffer.from(await page.tracing.stop()).toString("utf8"));
  await context.close();
  const events = trace.traceEvents;
  // The main thread of the page's renderer: the thread the clicks ran on.
  const clicksAt = events.filter(e => e.name === "EventDispatch" && e.args?.data?.type === "click");
  if (clicksAt.length !== count)
    throw new Error(`${clicksAt.length} clicks in the trace, not ${count}`);
  const { pid, tid } = clicksAt[0];
  const tasks = events.filter(e => e.pid === pid && e.tid === tid && e.ph === "X" && e.name === "RunTask");
  // The busy time from FROM to 150 ms after TO.
  const busy = (from, to) => tasks.filter(t => t.ts + t.dur > from && t.ts < to + 150000)
                                  .reduce((sum, t) => sum + (Math.min(t.ts + t.dur, to + 150000) -
                                                             Math.max(t.ts, from)), 0) / 1000;
  const dispatched = type => events.filter(e => e.pid === pid && e.name === "EventDispatch" &&
                                                e.args?.data?.type === type).map(e => e.ts);
  const downs = dispatched("pointerdown"), ups = dispatched("pointerup");
  if (downs.length !== count || ups.length !== count)
    throw new Error(`${downs.length} presses and ${ups.length} releases in the trace, not ${count}`);
  // The new question: from the release, which poses it, through the frame
  // that shows it. The whole click adds the press and its frame.
  const work = ups.map(up => busy(up, up));
  const whole = downs.map((down, i) => busy(down, ups[i]));
  return { work, whole, changed };
}

async function main() {
  const game = await serve(site);
  const floor = await serve(floorDir);
  const browser = await puppeteer.launch(chromiumOptions(fs.mkdtempSync(path.join(os.tmpdir(), "ponderine-bench-"))));
  const figures = { game: [], floor: [] };
  for (let i = 0; i < Number(runs); i++) {
    // Taking turns, so that a drift of a shared machine hits both alike.
    figures.game.push(await load(browser, game.url));
    figures.floor.push(await load(browser, floor.url + "ponderine_floor_prompt.html"));
  }
  for (const [name, list] of Object.entries(figures)) {
    console.log(`${name}_prompt_ms ${median(list.map(f => f.ms))}`);
    // Single loads spread widely, the browser's first far more: the median needs many.
    console.log(`${name}_prompt_ms_each ${list.map(f => f.ms).join(" ")}`);
    console.log(`${name}_bytes ${median(list.map(f => f.bytes))}`);
  }
  const www = fs.mkdtempSync(path.join(os.tmpdir(), "ponderine-bench-www-"));
  fs.cpSync(site, path.join(www, "ponderine"), { recursive: true });
  const shipped = await nginx(www, `include ${www}/ponderine/ponderine.nginx.conf;`);
  const throughNginx = [];
  for (let i = 0; i < 3; i++)
    throughNginx.push(await load(browser, shipped.url + "ponderine/"));
  console.log(`game_bytes_nginx_shipped ${median(throughNginx.map(f => f.bytes))}`);
  await shipped.close();
  fs.rmSync(www, { recursive: true, force: true });
  for (const screenReader of [false, true]) {
    const { work, whole, changed } = await newQuestionWork(browser, game.url, Number(clicks), screenReader);
    const key = screenReader ? "new_question_with_screen_reader" : "new_question";
    console.log(`${key}_clicks ${work.length} (${changed} new questions)`);
    console.log(`${key}_work_ms_median ${median(work).toFixed(2)}`);
    console.log(`${key}_work_ms_max ${Math.max(...work).toFixed(2)}`);
    console.log(`${key}_whole_click_ms_median ${median(whole).toFixed(2)}`);
  }
  await browser.close();
  game.server.close();
  floor.server.close();
}

main().catch(error => {
  console.log("FAIL", error.stack || error);
  process.exit(1);
});
