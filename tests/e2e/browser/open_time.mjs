// Measures how long Chromium takes to open and draw pages that kivra wrote:
// from the start of the load to two frames after the page's script ran,
// the median of RUNS opens, each in a fresh offline context.
//
//   node open_time.mjs [--runs N] PAGE.html...
import path from 'node:path';
import {pathToFileURL} from 'node:url';
import {chromium} from 'playwright-core';

const args = process.argv.slice(2);
let runs = 5;
if (args[0] === '--runs') {
  runs = Number(args[1]);
  args.splice(0, 2);
}
const browser = await chromium.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking'],
});
for (const file of args) {
  const times = [];
  let heap = 0;
  for (let run = 0; run < runs; run++) {
    const context = await browser.newContext({offline: true, viewport: {width: 1280, height: 900}});
    const page = await context.newPage();
    const t0 = process.hrtime.bigint();
    await page.goto(pathToFileURL(path.resolve(file)).href, {waitUntil: 'load', timeout: 120000});
    await page.waitForSelector('body[data-ready="true"]', {timeout: 120000});
    await page.evaluate(() => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done))));
    times.push(Number(process.hrtime.bigint() - t0) / 1e6);
    heap = await page.evaluate(() => (performance.memory ? performance.memory.usedJSHeapSize : 0));
    await context.close();
  }
  times.sort((a, b) => a - b);
  console.log(`${path.basename(file)}: median ${times[Math.floor(times.length / 2)].toFixed(0)} ms ` +
              `(${times.map((t) => t.toFixed(0)).join(', ')}), JS heap ${(heap / 1048576).toFixed(1)} MB`);
}
await browser.close();
