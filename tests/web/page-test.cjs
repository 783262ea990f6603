// The packaged page in headless Chromium, driven like a player: the start
// button, the title after the tap with the music running, a click reaching
// the first passage, a hovered button turning red, the gauge taking a click
// and a held press (a held touch on a phone) clicking on, at three page
// sizes (a desktop window, a phone upright and on its side, touched there);
// the demo played to an ending by clicks alone; and a game with a picture
// missing showing the error box. The canvas is compared with frames the
// Linux replay tool drew of the same moments: the game trembles, so each
// check asks which of two frames the canvas is nearer to.
//
// usage: node page-test.cjs PAGE BROKEN_PAGE FRAMES SHOTS
//   PAGE, BROKEN_PAGE  unpacked web packages (the demo; the demo without the
//                      picture of its first passage)
//   FRAMES             PNG frames of the Linux replay: title, passage1,
//                      crossroads, gauge, held (see scripts/test-web)
//   SHOTS              where the screenshots are written
// Prints one line per check and the figures measured; exits 1 on a failure.
"use strict";
const fs = require("fs");
const http = require("http");
const os = require("os");
const path = require("path");
const puppeteer = require(path.join(__dirname, "../../packaging/web/node_modules/puppeteer-core"));

const [pageDir, brokenDir, framesDir, shotsDir] = process.argv.slice(2);
const kWidth = 600;
const kHeight = 400;
const types = {
  ".html": "text/html; charset=utf-8",
  ".js": "text/javascript",
  ".wasm": "application/wasm",
  ".png": "image/png",
  ".data": "application/octet-stream",
  ".sf2": "application/octet-stream",
  ".txt": "text/plain; charset=utf-8",
};

// A static server for one folder on 127.0.0.1.
function serve(root) {
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, "http://x").pathname);
    const file = path.join(root, name === "/" ? "index.html" : name);
    if (!file.startsWith(root) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
      response.writeHead(404);
      response.end();
      return;
    }
    response.writeHead(200, { "Content-Type": types[path.extname(file)] || "application/octet-stream" });
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => server.listen(0, "127.0.0.1", () => resolve(server)));
}

let failures = 0;
function check(ok, what, detail = "") {
  console.log(`   ${ok ? "ok  " : "FAIL"} ${what}${detail ? ": " + detail : ""}`);
  if (!ok) failures++;
}

// A reference frame as RGB bytes, decoded by the browser.
async function reference(page, name) {
  const data = fs.readFileSync(path.join(framesDir, name + ".png")).toString("base64");
  return page.evaluate(async (data) => {
    const image = new Image();
    image.src = "data:image/png;base64," + data;
    await image.decode();
    const c = document.createElement("canvas");
    c.width = image.width;
    c.height = image.height;
    const g = c.getContext("2d");
    g.drawImage(image, 0, 0);
    return Array.from(g.getImageData(0, 0, c.width, c.height).data);
  }, data);
}

// The canvas's pixels now (RGBA).
async function canvasPixels(page) {
  return page.evaluate(() => {
    const source = document.getElementById("canvas");
    const c = document.createElement("canvas");
    c.width = source.width;
    c.height = source.height;
    const g = c.getContext("2d");
    g.drawImage(source, 0, 0);
    return Array.from(g.getImageData(0, 0, c.width, c.height).data);
  });
}

// Mean absolute difference of two RGBA pictures inside a rectangle.
function distance(a, b, [left, top, right, bottom] = [0, 0, kWidth, kHeight]) {
  let sum = 0;
  let n = 0;
  for (let y = top; y < bottom; y++) {
    for (let x = left; x < right; x++) {
      const i = (y * kWidth + x) * 4;
      sum += Math.abs(a[i] - b[i]) + Math.abs(a[i + 1] - b[i + 1]) + Math.abs(a[i + 2] - b[i + 2]);
      n += 3;
    }
  }
  return sum / n;
}

// Whether the canvas is nearer to `near` than to `far` (in a rectangle),
// and, when `within` is given, no further from `near` than that (a blank
// canvas is nearly as far from every frame); tries for a while, the game
// being slow to start under load.
async function nearer(page, near, far, rect, seconds = 10, within = Infinity) {
  let d = [0, 0];
  for (const until = Date.now() + seconds * 1000; Date.now() < until; ) {
    const now = await canvasPixels(page);
    d = [distance(now, near, rect), distance(now, far, rect)];
    if (d[0] < d[1] && d[0] <= within) return { ok: true, d };
    await new Promise((r) => setTimeout(r, 250));
  }
  return { ok: false, d };
}

// Red pixels (red well above green and blue) in a rectangle of the canvas.
async function redPixels(page, [left, top, right, bottom]) {
  const p = await canvasPixels(page);
  let n = 0;
  for (let y = top; y < bottom; y++) {
    for (let x = left; x < right; x++) {
      const i = (y * kWidth + x) * 4;
      if (p[i] > 150 && p[i + 1] < 90 && p[i + 2] < 90) n++;
    }
  }
  return n;
}

// The page point over game pixel (x, y).
async function point(page, x, y) {
  const r = await page.evaluate(() => {
    const b = document.getElementById("canvas").getBoundingClientRect();
    return { left: b.left, top: b.top, width: b.width, height: b.height };
  });
  return { x: r.left + ((x + 0.5) * r.width) / kWidth, y: r.top + ((y + 0.5) * r.height) / kHeight, r };
}

async function press(page, x, y, touch) {
  const p = await point(page, x, y);
  if (touch) {
    await page.touchscreen.tap(p.x, p.y);
  } else {
    await page.mouse.move(p.x, p.y);
    await page.mouse.down();
    await page.mouse.up();
  }
}

async function shot(page, name) {
  const file = path.join(shotsDir, `web-${name}.png`);
  await page.screenshot({ path: file });
  return file;
}

async function open(browser, url, viewport) {
  const page = await browser.newPage();
  await page.setViewport(viewport);
  const console = [];
  page.on("console", (m) => console.push(m.text()));
  page.on("pageerror", (e) => console.push("pageerror: " + e.message));
  await page.goto(url, { waitUntil: "load" });
  await page.waitForFunction(() => !document.getElementById("start").disabled, { timeout: 30000 });
  return { page, console };
}

async function main() {
  fs.mkdirSync(shotsDir, { recursive: true });
  const server = await serve(path.resolve(pageDir));
  const broken = await serve(path.resolve(brokenDir));
  const url = `http://127.0.0.1:${server.address().port}/`;
  const brokenUrl = `http://127.0.0.1:${broken.address().port}/`;
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), "marigold-chromium-"));
  const browser = await puppeteer.launch({
    executablePath: "/usr/bin/chromium",
    headless: true,
    args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
      "--disable-background-networking", "--disable-component-update", "--disable-sync",
      `--user-data-dir=${profile}`],
  });
  try {
    const refs = {};
    const scratch = await browser.newPage();
    for (const name of ["title", "passage1", "crossroads", "gauge", "held"]) {
      refs[name] = await reference(scratch, name);
    }
    await scratch.close();

    const sizes = [
      { name: "desktop", viewport: { width: 1280, height: 800 }, touch: false },
      { name: "phone-portrait", viewport: { width: 390, height: 844, isMobile: true, hasTouch: true, deviceScaleFactor: 3 }, touch: true },
      { name: "phone-landscape", viewport: { width: 844, height: 390, isMobile: true, hasTouch: true, deviceScaleFactor: 3 }, touch: true },
    ];
    for (const size of sizes) {
      console.log(`== ${size.name} ${size.viewport.width}x${size.viewport.height}`);
      const { page, console: lines } = await open(browser, url, size.viewport);
      const label = await page.$eval("#start", (b) => b.textContent);
      check(label === "▶ 焔の庭", "the start button", JSON.stringify(label));
      const first = await page.evaluate(() => Module.marigoldFirstFrame);
      check(first > 0, "the still of the title is shown", `first frame ${Math.round(first)} ms after navigation`);
      const still = await point(page, 0, 0);
      const scale = (still.r.width * (size.viewport.deviceScaleFactor || 1)) / kWidth;
      check(Math.abs(still.r.width / still.r.height - 1.5) < 0.01, "the canvas keeps 3:2",
        `${still.r.width.toFixed(1)}x${still.r.height.toFixed(1)} CSS px, ${scale.toFixed(3)} device px a game pixel`);
      if (size.name === "desktop") await shot(page, "start");

      // The tap: the game starts as on the desktop, title music included.
      const startButton = await page.$("#start");
      if (size.touch) await startButton.tap(); else await startButton.click();
      // A frame of the same scene differs from the reference only where it
      // trembles: a mean difference well below 40 of 255.
      const kSame = 40;
      let r = await nearer(page, refs.title, refs.passage1, undefined, 10, kSame);
      check(r.ok, "the title after the tap", `distance ${r.d[0].toFixed(1)} to the title, ${r.d[1].toFixed(1)} to the first passage`);
      let level = 0;
      let state = "";
      for (const until = Date.now() + 15000; Date.now() < until && level < 0.001; ) {
        await new Promise((res) => setTimeout(res, 250));
        [state, level] = await page.evaluate(() => [Module.SDL2 && Module.SDL2.audioContext ? Module.SDL2.audioContext.state : "none", Module.marigoldMusic.level()]);
      }
      check(state === "running" && level > 0.001, "the audio runs and the title music is heard", `context ${state}, music RMS ${level.toFixed(4)}`);
      const titlePiece = await page.evaluate(() => Module.marigoldMusic.playing);
      if (size.name === "desktop") await shot(page, "title");

      // A click (a touch on a phone) anywhere on the title: the first passage.
      await press(page, 100, 200, size.touch);
      r = await nearer(page, refs.passage1, refs.title, undefined, 10, kSame);
      check(r.ok, "a click reaches the first passage", `distance ${r.d[0].toFixed(1)} to it, ${r.d[1].toFixed(1)} to the title`);
      // The title music stops and the passage's starts in its place,
      // repeating, and is heard.
      await new Promise((res) => setTimeout(res, 1500));
      const [piece, passageLevel] = await page.evaluate(() => [Module.marigoldMusic.playing, Module.marigoldMusic.level()]);
      check(titlePiece && piece && piece.size !== titlePiece.size && piece.repeat && passageLevel > 0.001,
        "the passage's music replaces the title's",
        `${JSON.stringify(titlePiece)} then ${JSON.stringify(piece)}, music RMS ${passageLevel.toFixed(4)}`);
      if (size.name === "desktop") await shot(page, "passage");

      // On to the crossroads; the middle button turns red under the pointer.
      await press(page, 100, 200, size.touch);
      await new Promise((res) => setTimeout(res, 400));
      await press(page, 100, 200, size.touch);
      r = await nearer(page, refs.crossroads, refs.passage1, undefined, 10, kSame);
      check(r.ok, "the crossroads with its buttons", `distance ${r.d[0].toFixed(1)}, ${r.d[1].toFixed(1)}`);
      const button = [195, 298, 295, 342];  // the middle button
      const before = await redPixels(page, button);
      const over = await point(page, 250, 320);
      await page.mouse.move(over.x, over.y);
      await new Promise((res) => setTimeout(res, 500));
      const after = await redPixels(page, button);
      check(after > before + 200, "the hovered button turns red", `${before} red pixels before, ${after} under the pointer`);
      if (size.name === "desktop") await shot(page, "hovered");

      // Clicks in the gauge corner raise the heat: nearer the frame after
      // two clicks than the one before.
      const gauge = [495, 0, 548, 48];  // the heat reached, left of the ceiling
      for (let i = 0; i < 2; i++) await press(page, 400, 20, size.touch);
      r = await nearer(page, refs.gauge, refs.crossroads, gauge, 5);
      check(r.ok, "the gauge takes a click", `distance ${r.d[0].toFixed(1)} to the raised gauge, ${r.d[1].toFixed(1)} to the one before`);
      // A press held there keeps clicking, as a held mouse button does: the
      // heat reaches its ceiling, and the gauge says so ("高熱").
      const corner = await point(page, 400, 20);
      if (size.touch) {
        await page.touchscreen.touchStart(corner.x, corner.y);
        await new Promise((res) => setTimeout(res, 2500));
        await page.touchscreen.touchEnd();
      } else {
        await page.mouse.move(corner.x, corner.y);
        await page.mouse.down();
        await new Promise((res) => setTimeout(res, 2500));
        await page.mouse.up();
      }
      r = await nearer(page, refs.held, refs.gauge, [350, 0, 450, 48], 5);
      check(r.ok, `a ${size.touch ? "touch" : "press"} held on the gauge keeps clicking`,
        `distance ${r.d[0].toFixed(1)} to the gauge at its ceiling, ${r.d[1].toFixed(1)} to the one below`);
      if (size.name !== "desktop") await shot(page, size.name);
      const errors = lines.filter((l) => l.startsWith("pageerror") || l.startsWith("marigold:"));
      check(errors.length === 0, "nothing on the console", errors.join(" | "));
      await page.close();
    }

    // From the start button to an ending by clicks alone (the way of the
    // replay tests/replay/ending_low.input): the story ends, the game ends
    // as on the desktop, and the page offers the button again.
    console.log("== to an ending by clicks alone");
    {
      const { page, console: lines } = await open(browser, url, { width: 1280, height: 800 });
      await page.click("#start");
      await nearer(page, refs.title, refs.passage1, undefined, 10, 40);
      const clicks = [[200, 250], [200, 250], [200, 250], [250, 320], [200, 250], [200, 250],
        [200, 250], [200, 250], [200, 250]];
      for (const [i, [x, y]] of clicks.entries()) {
        await press(page, x, y, false);
        await new Promise((res) => setTimeout(res, 600));
        if (i === clicks.length - 2) await shot(page, "ending");
      }
      let ended = false;
      for (const until = Date.now() + 10000; Date.now() < until && !ended; ) {
        await new Promise((res) => setTimeout(res, 250));
        ended = await page.$eval("#start", (b) => !b.classList.contains("hidden") && !b.disabled);
      }
      check(ended, "the story's end ends the game and the page offers the button again",
        `${clicks.length} clicks`);
      const errors = lines.filter((l) => l.startsWith("pageerror") || l.startsWith("marigold:"));
      check(errors.length === 0, "nothing on the console", errors.join(" | "));
      await page.close();
    }

    // A game whose picture is missing: the game's own error box in the
    // canvas, and its line on the console.
    console.log("== a picture missing");
    const { page, console: lines } = await open(browser, brokenUrl, { width: 1280, height: 800 });
    await page.click("#start");
    await nearer(page, refs.title, refs.passage1, undefined, 10, 40);
    await press(page, 100, 200, false);  // the first passage names the missing picture
    let line = "";
    for (const until = Date.now() + 15000; Date.now() < until && !line; ) {
      await new Promise((res) => setTimeout(res, 250));
      line = lines.find((l) => l.startsWith("marigold: ")) || "";
    }
    check(/^marigold: dat\/story\.dat:\d+: .*garden_dusk\.bmp/.test(line), "the error's line on the console", line);
    const box = await canvasPixels(page);
    let light = 0;
    for (let y = 150; y < 250; y++) {
      for (let x = 150; x < 450; x++) {
        const i = (y * kWidth + x) * 4;
        if (box[i] > 200 && box[i + 1] > 200 && box[i + 2] > 200) light++;
      }
    }
    check(light > 15000, "the error box is drawn in the canvas", `${light} of 30000 light pixels in its middle`);
    await shot(page, "error-box");
    await page.close();
  } finally {
    await browser.close();
    server.close();
    broken.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
  if (failures) {
    console.log(`page-test: ${failures} check(s) failed`);
    process.exit(1);
  }
  console.log("page-test: all checks passed");
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
