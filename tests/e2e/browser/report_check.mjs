// Opens kivra's HTML report in Debian's Chromium, driven over the DevTools
// protocol, with every network request refused, and uses it as a reader
// would: the call tree's first rows and the first procedure must be those
// of `kivra rows` and `kivra flat`, the flame graph must be there, sorting,
// finding, the hot path and the keyboard must work, and no script error
// and no request but the page's own may happen.
//
//   node report_check.mjs KIVRA EXAMPLES_DIR
// Prints how long each page took to open; exits 1 on a failed check.
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {pathToFileURL} from 'node:url';
import {chromium} from 'playwright-core';

const [kivra, examples] = process.argv.slice(2);
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'kivra-report-'));
// No setting of the user's may change the texts compared.
const env = {...process.env, HOME: work, XDG_CONFIG_HOME: path.join(work, '.config'), USERPROFILE: work};
const problems = [];
function check(ok, what) {
  if (!ok) problems.push(what);
}
function kivraRun(...args) {
  return execFileSync(kivra, args, {encoding: 'utf8', env, maxBuffer: 1 << 30, stdio: ['ignore', 'pipe', 'pipe']});
}

// A trace of 32,767 calls: a whole binary tree fifteen calls deep, as a
// run with loops inside loops gives, its records in the order calls end.
function writeLargeTrace(file) {
  const lines = ['Kivra PAD Trace File', 'Run Date: 12/9/2026 10:00:00', 'Application: Generated',
    'Resolution: 0.01 ms', 'Machine: M', 'User: U', 'Fields: Name|Order|Depth|Start|Stop|DataIn|DataLog|DataOut'];
  let order = 0;
  let clock = 0;
  function call(depth, branch) {
    const own = order++;
    const start = clock;
    clock += 0.01 * ((own % 7) + 1);
    if (depth < 15) {
      call(depth + 1, 0);
      call(depth + 1, 1);
    }
    clock += 0.01 * (own % 3);
    lines.push(`Level${depth}_${branch === 0 ? 'Load' : 'Fill'}${depth % 4}|${own + 1}|${depth}|` +
               `${start.toFixed(2)}|${clock.toFixed(2)}|${own % 50 === 0 ? 'arg' + own : ''}||`);
  }
  call(1, 0);
  fs.writeFileSync(file, lines.join('\r\n') + '\r\n');
  return order;
}

const sample = path.join(examples, 'sample-faster.pad');
const baseline = path.join(examples, 'sample.pad');
const large = path.join(work, 'large.pad');
const names = path.join(work, 'names.pad');
check(writeLargeTrace(large) === 32767, 'the large trace holds 32,767 calls');
fs.writeFileSync(names, ['Kivra PAD Trace File', 'Run Date: 12/7/2026 14:32:05', 'Application: Names',
  'Resolution: 1 ms', 'Machine: M', 'User: U', 'Fields: Name|Order|Depth|Start|Stop|DataIn|DataLog|DataOut',
  'A<b>&"c\'d|2|2|10|60|<i>x</i>||', ']]></script>x|3|2|60|90|||', 'Main|1|1|0|100|||', ''].join('\r\n'));

const pages = {
  sample: path.join(work, 'sample.html'),
  large: path.join(work, 'large.html'),
  names: path.join(work, 'names.html'),
};
kivraRun('export', sample, '--html', '--baseline', baseline, '-o', pages.sample);
let started = process.hrtime.bigint();
kivraRun('export', large, '--html', '-o', pages.large);
const writeMs = Number(process.hrtime.bigint() - started) / 1e6;
kivraRun('export', names, '--html', '-o', pages.names);

const browser = await chromium.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync'],
});

// Opens a page offline; every request but the page's own is refused and
// counted, every script error kept.
async function open(file) {
  const context = await browser.newContext({offline: true, viewport: {width: 1280, height: 900}});
  const page = await context.newPage();
  const url = pathToFileURL(file).href;
  const requests = [];
  const errors = [];
  await context.route('**/*', (route) => (route.request().url() === url ? route.continue() : route.abort()));
  page.on('request', (request) => {
    if (request.url() !== url) requests.push(request.url());
  });
  page.on('pageerror', (error) => errors.push(error.message));
  page.on('console', (message) => {
    if (message.type() === 'error') errors.push(message.text());
  });
  const t0 = process.hrtime.bigint();
  await page.goto(url, {waitUntil: 'load'});
  await page.waitForSelector('body[data-ready="true"]', {timeout: 60000});
  // Drawn: two frames after the script's end.
  await page.evaluate(() => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done))));
  const openMs = Number(process.hrtime.bigint() - t0) / 1e6;
  const name = path.basename(file);
  return {
    page, context, openMs,
    finish() {
      check(requests.length === 0, `${name}: no request, not ${requests.join(', ')}`);
      check(errors.length === 0, `${name}: no script error, not ${errors.join('; ')}`);
    },
  };
}

const treeLabels = (page, count) => page.$$eval('[data-view="call-tree"] [data-label]',
  (rows, count) => rows.slice(0, count).map((tr) => [tr.getAttribute('data-label'), tr.cells[1].textContent,
    tr.cells[2].textContent]), count);
const procedureNames = (page) => page.$$eval('[data-view="procedures"] tbody tr:not([hidden])',
  (rows) => rows.map((tr) => tr.getAttribute('data-name')));

// The call tree's first rows are those of `kivra rows` that the tree shows
// at first (the levels it starts open to), in order, with their texts.
async function checkTree(page, trace, name) {
  const rows = JSON.parse(kivraRun('rows', trace)).rows;
  const openLevel = Number(await page.getAttribute('[data-view="call-tree"]', 'data-open-level'));
  const expected = rows.filter((r) => r.level <= openLevel).slice(0, 200).map((r) => [r.label, r.total, r.time]);
  const shown = await treeLabels(page, 200);
  check(shown.length === Math.min(200, expected.length), `${name}: ${expected.length > 200 ? 200 : expected.length} ` +
        `rows in the document, not ${shown.length}`);
  check(JSON.stringify(shown) === JSON.stringify(expected), `${name}: the call tree's first rows are kivra rows'`);
  return rows;
}

// The first procedure is the first line of `kivra flat`, cell by cell.
async function checkFirstProcedure(page, trace, name) {
  const flat = kivraRun('flat', trace, '--top', '1').split('\n')[2].trim().split(/\s+/);
  const first = await page.$eval('[data-view="procedures"] tbody tr',
    (tr) => Array.prototype.map.call(tr.cells, (c) => c.textContent));
  check(JSON.stringify(first) === JSON.stringify(flat), `${name}: the first procedure is kivra flat's: ` +
        `${first.join(' ')} / ${flat.join(' ')}`);
}

// The sample with its baseline: everything a reader does.
{
  const {page, context, openMs, finish} = await open(pages.sample);
  console.log(`sample: opened and drawn in ${openMs.toFixed(0)} ms`);
  const rows = await checkTree(page, sample, 'sample');
  await checkFirstProcedure(page, sample, 'sample');
  check(await page.$('[data-view="flame-graph"] svg.kivra-flame[data-ready="true"]') !== null,
    'the flame graph is there and its script ran');

  // Sorting by a click on a header, and again the other way.
  const calls = '[data-view="procedures"] thead button[data-col="1"]';
  await page.click(calls);
  let order = await page.$$eval('[data-view="procedures"] tbody tr', (trs) => trs.map((tr) => Number(tr.cells[1].textContent)));
  check(order[0] === Math.max(...order) && order.every((v, i) => i === 0 || order[i - 1] >= v),
    'a click on Calls sorts by calls, the most first');
  check(await page.getAttribute('[data-view="procedures"] th:nth-child(2)', 'aria-sort') === 'descending',
    'the header says the order');
  await page.click(calls);
  order = await page.$$eval('[data-view="procedures"] tbody tr', (trs) => trs.map((tr) => Number(tr.cells[1].textContent)));
  check(order.every((v, i) => i === 0 || order[i - 1] <= v), 'a second click sorts the other way');
  await page.focus('[data-view="procedures"] thead button[data-col="0"]');
  await page.keyboard.press('Enter');
  const byName = await procedureNames(page);
  const sorted = [...byName].sort((a, b) => (a.toLowerCase() < b.toLowerCase() ? -1 : a.toLowerCase() > b.toLowerCase() ? 1 : 0));
  check(JSON.stringify(byName) === JSON.stringify(sorted), 'Enter on Procedure sorts by name from the keyboard');

  // Finding: "/" goes to the field; the tables narrow, the tree shows the
  // matching calls under their callers, the flame graph highlights.
  await page.click('h1');
  await page.keyboard.press('/');
  check(await page.evaluate(() => document.activeElement.id) === 'k-find', '/ goes to the find field');
  await page.keyboard.type('fetch');
  await page.waitForFunction(() => document.getElementById('k-found').textContent !== '');
  const found = await procedureNames(page);
  check(found.length === 3 && found.every((n) => /fetch/i.test(n)), `find narrows the procedures: ${found}`);
  const compared = await page.$$eval('[data-view="compare"] tbody tr:not([hidden])', (trs) => trs.length);
  check(compared === 3, `find narrows the comparison: ${compared}`);
  const treeShown = await treeLabels(page, 1000);
  const matching = rows.filter((r) => /fetch/i.test(r.label)).length;
  check(treeShown.filter(([label]) => /fetch/i.test(label)).length === matching,
    'the tree shows every matching call');
  check(await page.$$eval('[data-view="call-tree"] tr.k-hit', (trs) => trs.length) === matching,
    'and marks them');
  check(await page.$eval('[data-view="flame-graph"] svg', (svg) => svg.classList.contains('searching') &&
    svg.querySelectorAll('.frames > g.m').length > 0), 'the flame graph highlights the matches');
  check(await page.textContent('#k-found') === `3 procedures, ${matching} calls`,
    `the count: ${await page.textContent('#k-found')}`);
  await page.check('#k-regex');
  await page.fill('#k-find', '(');
  await page.waitForFunction(() => document.getElementById('k-found').textContent === 'Invalid expression');
  await page.press('#k-find', 'Escape');
  await page.waitForFunction(() => document.getElementById('k-found').textContent === '');
  check((await procedureNames(page)).length === byName.length, 'Esc in the field shows every procedure again');
  check((await treeLabels(page, 1000)).length === rows.length, 'and every row');

  // Collapse all, then the hot path from the top: the hottest calls open
  // down to a call without callees, which becomes the current row.
  await page.click('#k-collapse');
  const top = rows.filter((r) => r.level === 0).length;
  check((await treeLabels(page, 1000)).length === top, 'Collapse all leaves the top-level calls');
  await page.click('#k-hot');
  const current = await page.evaluate(() => {
    const tr = document.activeElement.closest('tr');
    return tr ? [tr.getAttribute('data-label'), tr.getAttribute('aria-level'), tr.hasAttribute('aria-expanded')] : null;
  });
  check(current !== null && current[0] === 'Connect' && current[1] === '3' && !current[2],
    `Expand hot path ends on the hottest call without callees: ${current}`);

  // The keyboard in the tree: Left goes to the caller and closes it.
  await page.keyboard.press('ArrowLeft');
  await page.keyboard.press('ArrowLeft');
  check(await page.evaluate(() => document.activeElement.getAttribute('aria-expanded')) === 'false',
    'Left on the caller closes it');
  await page.keyboard.press('ArrowRight');
  check(await page.evaluate(() => document.activeElement.getAttribute('aria-expanded')) === 'true',
    'Right opens it again');

  // The comparison: kivra diff's first line, tinted as the window tints it.
  const diff = kivraRun('diff', baseline, sample, '--top', '1').split('\n')[2].trim().split(/\s+/);
  const firstChange = await page.$eval('[data-view="compare"] tbody tr',
    (tr) => [Array.prototype.map.call(tr.cells, (c) => c.textContent), tr.className]);
  check(JSON.stringify(firstChange[0]) === JSON.stringify(diff), `the comparison's first line is kivra diff's`);
  check(firstChange[1] === 'k-faster', 'a faster procedure is tinted');
  finish();
  await context.close();
}

// The tree while finding: a match opens to show its callees, the hot path
// goes as far as rows show, and the keys keep working.
{
  const {page, context, finish} = await open(pages.sample);
  const labels = async () => (await treeLabels(page, 1000)).map(([label]) => label);
  await page.fill('#k-find', 'RunQuery');
  await page.waitForFunction(() => document.getElementById('k-found').textContent !== '');
  check(JSON.stringify(await labels()) === JSON.stringify(['cmdSearch_Click', 'RunQuery']),
    `finding RunQuery shows it under its caller: ${await labels()}`);
  await page.focus('[data-view="call-tree"] tr[data-label="RunQuery"]');
  await page.keyboard.press('ArrowRight');
  check(JSON.stringify(await labels()) === JSON.stringify(['cmdSearch_Click', 'RunQuery', 'BuildSql', 'FetchRows']),
    `a match opened shows its callees: ${await labels()}`);
  await page.keyboard.press('ArrowDown');
  check(await page.evaluate(() => document.activeElement.getAttribute('data-label')) === 'BuildSql',
    'Down goes to the first callee');
  await page.fill('#k-find', 'cmdSearch');
  await page.waitForFunction(() => document.querySelectorAll('[data-view="call-tree"] tr[data-label]').length === 1);
  await page.click('#k-hot');
  check(await page.evaluate(() => document.activeElement.getAttribute('data-label')) === 'FetchRows',
    'Expand hot path while finding ends on the hottest call, shown and focused');
  finish();
  await context.close();
}

// 32,767 calls: drawn a slice at a time.
{
  const size = fs.statSync(pages.large).size;
  const {page, context, openMs, finish} = await open(pages.large);
  console.log(`large: 32,767 calls, ${(size / 1048576).toFixed(2)} MB written in ${writeMs.toFixed(0)} ms ` +
              `(with the process start), opened and drawn in ${openMs.toFixed(0)} ms`);
  const largeRows = await checkTree(page, large, 'large');
  await checkFirstProcedure(page, large, 'large');
  // Only a window of the rows is in the document; scrolled to the end, the
  // last rows are drawn.
  const drawn = await page.$$eval('[data-view="call-tree"] tbody tr[data-i]', (trs) => trs.length);
  check(drawn >= 200 && drawn <= 1000, `a window of rows is drawn, not ${drawn}`);
  const openLevel = Number(await page.getAttribute('[data-view="call-tree"]', 'data-open-level'));
  const lastShown = largeRows.map((r, i) => [r, i]).filter(([r]) => r.level <= openLevel).pop()[1];
  await page.$eval('#k-tree-scroll', (scroller) => { scroller.scrollTop = scroller.scrollHeight; });
  await page.waitForFunction((last) => {
    const rows = document.querySelectorAll('[data-view="call-tree"] tbody tr[data-i]');
    return rows.length > 0 && rows[rows.length - 1].getAttribute('data-i') === String(last);
  }, lastShown, {timeout: 10000}).catch(() => check(false, 'scrolled to the end, the last row is drawn'));
  // The keys keep the focus in the tree while its window is drawn anew.
  await page.focus('[data-view="call-tree"] tbody tr[data-i]');
  for (let press = 0; press < 25; press++) await page.keyboard.press('PageDown');
  const focused = await page.evaluate(() => {
    const tr = document.activeElement;
    return tr && tr.tagName === 'TR' ? Number(tr.getAttribute('data-i')) : -1;
  });
  check(focused > 400, `25 PageDowns keep the focus on a row far down, not ${focused}`);
  await page.fill('#k-find', 'Level15_Fill3');
  await page.waitForFunction(() => document.getElementById('k-found').textContent !== '');
  check(await page.textContent('#k-found') === '1 procedure, 8,192 calls', `find over the large tree: ` +
        `${await page.textContent('#k-found')}`);
  finish();
  await context.close();
}

// Expand all shows no more rows than a browser scrolls through: a copy of
// the large page that allows 3,000 opens as many levels as fit and says so.
{
  const small = path.join(work, 'tallest.html');
  fs.writeFileSync(small, fs.readFileSync(pages.large, 'utf8').replace(/data-tallest="\d+"/, 'data-tallest="3000"'));
  const {page, context, finish} = await open(small);
  await page.click('#k-expand');
  const count = await page.textContent('#k-tree-count');
  check(/^2,047 of 32,767 rows shown; all open would be 32,767 rows/.test(count), `Expand all held back: ${count}`);
  await page.click('#k-collapse');
  check(/^1 of 32,767 rows shown$/.test(await page.textContent('#k-tree-count')), 'Collapse all clears the note');
  finish();
  await context.close();
}

// Names that would break the markup or end a script.
{
  const {page, context, finish} = await open(pages.names);
  await checkTree(page, names, 'names');
  const cells = await page.$eval('[data-view="call-tree"] tbody tr:nth-child(2)', (tr) => tr.cells[3].textContent);
  check(cells === '<i>x</i>', `a data field shows as text: ${cells}`);
  check(await page.$('[data-view="call-tree"] i') === null, 'and makes no markup');
  finish();
  await context.close();
}

await browser.close();
fs.rmSync(work, {recursive: true, force: true});
if (problems.length > 0) {
  for (const problem of problems) console.error(`FAIL: ${problem}`);
  process.exit(1);
}
console.log(`report_check: the HTML report works in ${browser.version ? 'Chromium' : 'the browser'}`);
