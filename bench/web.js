// The web build against its floor, a bare Qt widgets page built with the
// same Qt (floor_prompt.cpp): the time from navigation to the name prompt in
// headless Chromium, with nothing cached, and the bytes that came over the
// network, gzip'd as a server sends them; the median of RUNS loads each.
// Prints "key value" lines for docs/performance.md.
// Usage: node bench/web.js SITE FLOOR_DIR [RUNS]
"use strict";
const fs = require("fs");
const os = require("os");
const path = require("path");
const puppeteer = require("puppeteer-core");
const { serve, chromiumOptions, shownTitles } = require("../tests/e2e/webserver.js");

const [site, floorDir, runs = "5"] = process.argv.slice(2);
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
    console.log(`${name}_bytes ${median(list.map(f => f.bytes))}`);
  }
  await browser.close();
  game.server.close();
  floor.server.close();
}

main().catch(error => {
  console.log("FAIL", error.stack || error);
  process.exit(1);
});
