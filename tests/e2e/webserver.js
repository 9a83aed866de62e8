// Web servers on 127.0.0.1 for the web build's test and bench: a small one
// of Node's, which sends the .wasm with its MIME type and the page, the
// scripts and the .wasm gzip'd, as most servers send them; and Debian's
// nginx and Apache, started as a school runs them.
"use strict";
const { spawn } = require("child_process");
const fs = require("fs");
const http = require("http");
const net = require("net");
const os = require("os");
const path = require("path");
const zlib = require("zlib");

const types = { ".html": "text/html; charset=utf-8", ".js": "text/javascript; charset=utf-8",
                ".css": "text/css; charset=utf-8", ".wasm": "application/wasm", ".png": "image/png",
                ".svg": "image/svg+xml", ".webmanifest": "application/manifest+json" };
const compressed = new Set([".html", ".js", ".css", ".wasm", ".webmanifest", ".svg"]);

// Serves FOLDER, with HEADERS on every answer; resolves to the server's
// address, "http://127.0.0.1:PORT/".
function serve(folder, headers = {}) {
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
      const sent = { "Content-Type": types[type] || "application/octet-stream", "Cache-Control": "no-cache", ...headers };
      if (compressed.has(type) && /\bgzip\b/.test(request.headers["accept-encoding"] || "")) {
        if (!gzipped.has(file))
          gzipped.set(file, zlib.gzipSync(data, { level: 9 }));
        data = gzipped.get(file);
        sent["Content-Encoding"] = "gzip";
      }
      response.writeHead(200, sent);
      response.end(data);
    });
  });
  return new Promise(resolve => server.listen(0, "127.0.0.1",
                                              () => resolve({ server, url: `http://127.0.0.1:${server.address().port}/` })));
}

const freePort = () => new Promise(resolve => {
  const probe = net.createServer();
  probe.listen(0, "127.0.0.1", () => {
    const { port } = probe.address();
    probe.close(() => resolve(port));
  });
});

// Starts SERVER's daemon with ARGS and waits until it answers on PORT.
async function daemon(server, args, port, log) {
  const child = spawn(server, args, { stdio: "inherit" });
  for (let i = 0; ; i++) {
    const up = await new Promise(resolve => {
      const socket = net.connect(port, "127.0.0.1", () => { socket.end(); resolve(true); });
      socket.on("error", () => resolve(false));
    });
    if (up)
      break;
    if (i > 100 || child.exitCode !== null)
      throw new Error(`${server} did not start (${log})`);
    await new Promise(resolve => setTimeout(resolve, 100));
  }
  return { url: `http://127.0.0.1:${port}/`,
           close: () => new Promise(resolve => {
             if (child.exitCode !== null)
               return resolve();
             child.once("exit", resolve);
             child.kill("SIGTERM");
           }) };
}

// Debian's nginx as a school's IT staff leave it: its own MIME types and
// the defaults of its nginx.conf (Last-Modified and ETag, no
// Cache-Control, gzip for HTML alone), serving the folder ROOT; LINES go
// into its server block. Resolves to { url, close }.
async function nginx(root, lines = "") {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), "ponderine-nginx-"));
  const port = await freePort();
  const temp = ["client_body", "proxy", "fastcgi", "uwsgi", "scgi"].map(t => `${t}_temp_path ${dir}/${t};`).join(" ");
  fs.writeFileSync(path.join(dir, "nginx.conf"), `user root;
worker_processes 1;
pid ${dir}/nginx.pid;
events { }
http {
  include /etc/nginx/mime.types;
  default_type application/octet-stream;
  sendfile on;
  gzip on;
  access_log off;
  ${temp}
  server {
    listen 127.0.0.1:${port};
    root ${root};
    ${lines}
  }
}
`);
  return daemon("/usr/sbin/nginx", ["-e", `${dir}/error.log`, "-c", `${dir}/nginx.conf`, "-g", "daemon off;"], port,
                `${dir}/error.log`);
}

// Debian's Apache with the modules Debian turns on, mod_rewrite and
// mod_headers added, and a site's folder that may override FileInfo, as
// the README asks: serving ROOT. Resolves to { url, close }.
async function apache(root) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), "ponderine-apache-"));
  fs.chmodSync(dir, 0o755);
  fs.chmodSync(root, 0o755);
  const port = await freePort();
  fs.writeFileSync(path.join(dir, "apache2.conf"), `ServerRoot /etc/apache2
ServerName 127.0.0.1
PidFile ${dir}/apache2.pid
DefaultRuntimeDir ${dir}
Mutex file:${dir} default
ErrorLog ${dir}/error.log
User www-data
Group www-data
Listen 127.0.0.1:${port}
IncludeOptional mods-enabled/*.load
IncludeOptional mods-enabled/*.conf
<IfModule !rewrite_module>
  LoadModule rewrite_module /usr/lib/apache2/modules/mod_rewrite.so
</IfModule>
<IfModule !headers_module>
  LoadModule headers_module /usr/lib/apache2/modules/mod_headers.so
</IfModule>
AccessFileName .htaccess
<FilesMatch "^\.ht">
  Require all denied
</FilesMatch>
DocumentRoot ${root}
<Directory />
  Options FollowSymLinks
  AllowOverride None
  Require all denied
</Directory>
<Directory ${root}>
  Options Indexes FollowSymLinks
  AllowOverride FileInfo
  Require all granted
</Directory>
`);
  return daemon("/usr/sbin/apache2", ["-f", `${dir}/apache2.conf`, "-DFOREGROUND"], port, `${dir}/error.log`);
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

module.exports = { serve, nginx, apache, chromiumOptions, shownTitles };
