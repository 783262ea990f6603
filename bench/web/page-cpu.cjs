// What the packaged page costs the machine: the demo played in headless
// Chromium, SECONDS seconds (default 10) on the title after the tap and
// SECONDS in the first passage, the CPU time of Chromium's renderer, GPU and
// audio processes over each, as a share of one core (from /proc, so Linux
// only), and the time from navigation to the still of the title.
// usage: node page-cpu.cjs PAGE [SECONDS]
"use strict";
const fs = require("fs");
const http = require("http");
const os = require("os");
const path = require("path");
const puppeteer = require(path.join(__dirname, "../../packaging/web/node_modules/puppeteer-core"));

const [pageDir, secondsArg] = process.argv.slice(2);
const seconds = Number(secondsArg || 10);
const kTicks = 100;  // clock ticks a second of /proc/PID/stat (USER_HZ)

const types = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm", ".png": "image/png" };

// Every process below `root`, with its kind and its CPU ticks so far.
function tree(root) {
  const children = new Map();
  for (const entry of fs.readdirSync("/proc")) {
    if (!/^\d+$/.test(entry)) continue;
    try {
      const stat = fs.readFileSync(`/proc/${entry}/stat`, "utf8");
      const fields = stat.slice(stat.lastIndexOf(")") + 2).split(" ");
      const parent = Number(fields[1]);
      if (!children.has(parent)) children.set(parent, []);
      children.get(parent).push({ pid: Number(entry), ticks: Number(fields[11]) + Number(fields[12]) });
    } catch (e) {
      // gone meanwhile
    }
  }
  const out = [];
  const walk = (pid, ticks) => {
    let kind = "browser";
    try {
      const cmd = fs.readFileSync(`/proc/${pid}/cmdline`, "utf8");
      if (cmd.includes("--type=renderer")) kind = "renderer";
      else if (cmd.includes("--type=gpu-process")) kind = "gpu";
      else if (cmd.includes("audio.mojom.AudioService")) kind = "audio";
      else if (cmd.includes("--type=")) kind = "other";
    } catch (e) {
      return;
    }
    out.push({ pid, kind, ticks });
    for (const child of children.get(pid) || []) walk(child.pid, child.ticks);
  };
  const self = fs.readFileSync(`/proc/${root}/stat`, "utf8");
  const f = self.slice(self.lastIndexOf(")") + 2).split(" ");
  walk(root, Number(f[11]) + Number(f[12]));
  return out;
}

async function measure(root, label) {
  const before = new Map(tree(root).map((p) => [p.pid, p.ticks]));
  const start = Date.now();
  await new Promise((r) => setTimeout(r, seconds * 1000));
  const wall = (Date.now() - start) / 1000;
  const share = {};
  for (const p of tree(root)) {
    share[p.kind] = (share[p.kind] || 0) + (p.ticks - (before.get(p.pid) || 0)) / kTicks / wall;
  }
  const row = ["renderer", "gpu", "audio", "browser", "other"].map((k) => `${k} ${(share[k] || 0).toFixed(3)}`);
  const sum = (share.renderer || 0) + (share.gpu || 0) + (share.audio || 0);
  console.log(`${label}: renderer + GPU + audio ${sum.toFixed(3)} of a core (${row.join(", ")}); load ${os.loadavg()[0].toFixed(2)}`);
}

async function main() {
  const root = path.resolve(pageDir);
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, "http://x").pathname);
    const file = path.join(root, name === "/" ? "index.html" : name);
    if (!file.startsWith(root) || !fs.existsSync(file)) {
      response.writeHead(404);
      return response.end();
    }
    response.writeHead(200, { "Content-Type": types[path.extname(file)] || "application/octet-stream" });
    fs.createReadStream(file).pipe(response);
  });
  await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), "marigold-chromium-"));
  const browser = await puppeteer.launch({
    executablePath: "/usr/bin/chromium",
    headless: true,
    args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
      "--disable-background-networking", "--disable-component-update", "--disable-sync",
      `--user-data-dir=${profile}`],
  });
  try {
    const page = await browser.newPage();
    await page.setViewport({ width: 1280, height: 800 });
    await page.goto(`http://127.0.0.1:${server.address().port}/`, { waitUntil: "load" });
    await page.waitForFunction(() => Module.marigoldFirstFrame > 0 && !document.getElementById("start").disabled);
    console.log(`first frame (the still) ${Math.round(await page.evaluate(() => Module.marigoldFirstFrame))} ms after navigation`);
    await page.click("#start");
    await new Promise((r) => setTimeout(r, 3000));
    const pid = browser.process().pid;
    await measure(pid, "title");
    const b = await page.evaluate(() => document.getElementById("canvas").getBoundingClientRect().toJSON());
    await page.mouse.click(b.left + b.width / 6, b.top + b.height / 2);
    await new Promise((r) => setTimeout(r, 2000));
    await measure(pid, "first passage");
  } finally {
    await browser.close();
    server.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
