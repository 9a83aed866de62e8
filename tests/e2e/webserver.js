// A static web server on 127.0.0.1 for the web build's test and bench, as a
// school's would serve the site: the .wasm with its MIME type, and the
// page, the scripts and the .wasm gzip'd, as most servers send them.
"use strict";
const fs = require("fs");
const http = require("http");
const path = require("path");
const zlib = require("zlib");

const types = { ".html": "text/html; charset=utf-8", ".js": "text/javascript", ".wasm": "application/wasm",
                ".png": "image/png", ".svg": "image/svg+xml", ".webmanifest": "application/manifest+json" };
const compressed = new Set([".html", ".js", ".wasm", ".webmanifest", ".svg"]);

// Serves FOLDER; resolves to the server's address, "http://127.0.0.1:PORT/".
function serve(folder) {
  const gzipped = new Map();
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, "http://x").pathname).replace(/\/$/, "/index.html");
    const file = path.join(folder, path.normalize(name));
    fs.readFile(file, (error, data) => {
      if (error) {
        response.writeHead(404);
        response.end();
        return;
      }
      const type = path.extname(file);
      const headers = { "Content-Type": types[type] || "application/octet-stream", "Cache-Control": "no-cache" };
      if (compressed.has(type) && /\bgzip\b/.test(request.headers["accept-encoding"] || "")) {
        if (!gzipped.has(file))
          gzipped.set(file, zlib.gzipSync(data, { level: 9 }));
        data = gzipped.get(file);
        headers["Content-Encoding"] = "gzip";
      }
      response.writeHead(200, headers);
      response.end(data);
    });
  });
  return new Promise(resolve => server.listen(0, "127.0.0.1",
                                              () => resolve({ server, url: `http://127.0.0.1:${server.address().port}/` })));
}

// Chromium as the tests run it: headless, as root, no traffic of its own.
const chromiumOptions = userDataDir => ({
  executablePath: "/usr/bin/chromium",
  headless: true,
  userDataDir,
  env: { ...process.env, LANG: "it_IT.UTF-8", LANGUAGE: "it" },
  args: ["--no-sandbox", "--disable-gpu", "--no-first-run", "--disable-background-networking",
         "--disable-component-update", "--disable-sync", "--lang=it-IT", "--accept-lang=it-IT"],
});

// The titles of the Qt windows a page shows.
const shownTitles = page => page.evaluate(() => {
  const root = document.getElementById("qt-shadow-container")?.shadowRoot;
  return root ? [...root.querySelectorAll(".qt-window")].filter(w => w.style.display !== "none")
                    .map(w => w.querySelector(".window-name")?.textContent ?? "") : [];
});

module.exports = { serve, chromiumOptions, shownTitles };
