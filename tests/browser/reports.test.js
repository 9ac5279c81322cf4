// The View menu's reports in headless Chromium against a real kelvora-sim:
// the three lists, a curve, the status screen, and the season view of a home
// with two seasons of records, with its CSV downloads read back.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { spawn, execFileSync } from 'node:child_process';
import { readFileSync, mkdirSync, writeFileSync } from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { closeStartupBoxes, launchBrowser, newHome, openPage, removeHome, screenshots } from './support.js';
import { buttonId, dialogId, statListId } from '../../resources/web/js/ids.js';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const sim = process.env.KELVORA_SIM ?? path.join(root, 'build/test/bin/kelvora-sim');
const join = path.join;

let home;
let server;
let browser;
let page;

function setSetting(key, value) {
  const settings = join(home, 'Settings.ini');
  const text = readFileSync(settings, 'latin1').replace(new RegExp(`^${key}=.*$`, 'm'), `${key}=${value}`);
  writeFileSync(settings, text, 'latin1');
}

// Two seasons: the last days of June, then the first days of July, after
// which the June days are in History/TEMP.19. Colder days first, then milder
// ones, so that energy and weather vary.
function makeTwoSeasons() {
  home = newHome();
  for (const [start, days, exterior] of [['2019-06-28 00:00:00', '2.5', -12], ['2019-06-30 12:00:00', '2.4', -2]]) {
    setSetting('D_Ext_Temp', exterior);
    execFileSync(sim, ['--home', home, '--start', start, '--days', days, '--seed', '5'], { stdio: 'ignore' });
  }
}

// Serves a Wednesday morning from before its pre-heat, at 120 times real time.
function serve() {
  return new Promise((resolvePage, reject) => {
    server = spawn(sim, ['--home', home, '--start', '2019-07-03 05:05:00', '--days', '0.2', '--speed', '120',
      '--listen', '127.0.0.1:0'], { stdio: ['ignore', 'pipe', 'ignore'] });
    let out = '';
    server.stdout.on('data', (chunk) => {
      out += chunk;
      const found = /Kelvora's page: (\S+)/.exec(out);
      if (found) resolvePage(found[1]);
    });
    server.on('exit', () => reject(new Error(`kelvora-sim ended: ${out}`)));
  });
}

before(async () => {
  mkdirSync(screenshots, { recursive: true });
  makeTwoSeasons();
  // The served morning starts in a cool house, so that it pre-heats.
  setSetting('D_Int_Temp', 16.5);
  const url = await serve();
  browser = await launchBrowser();
  ({ page } = await openPage(browser.browser, url, { width: 1280, height: 720 }));
  await closeStartupBoxes(page);
});

after(async () => {
  await browser?.close();
  server?.kill();
  if (home) removeHome(home);
});

async function choose(...titles) {
  await page.click('.menu-title:has-text("View")');
  for (const title of titles.slice(0, -1)) await page.hover(`.submenu-title:has-text("${title}")`);
  await page.click(`[role="menuitem"]:has-text("${titles.at(-1)}")`);
}

async function openList(item) {
  await choose('List', item);
  return page.waitForSelector(`[data-dialog="${dialogId.statList}"] [data-control="${statListId.table}"]`);
}

const headings = () => page.$$eval(`[data-control="${statListId.table}"] th`, (ths) => ths.map((th) => th.textContent));
const rows = () => page.$$eval(`[data-control="${statListId.table}"] tbody tr`, (trs) =>
  trs.map((tr) => [...tr.children].map((td) => td.textContent)));

test('the heating cycles list opens with its columns, its cycles and the summary', async () => {
  await openList('Heating Cycles');
  assert.equal(await page.textContent(`[data-dialog="${dialogId.statList}"] .dialog-title`), 'Heating Cycles');
  assert.deepEqual(await headings(), ['Cycle No.', 'State', 'Time    ', 'Int. Temp  ', 'Ext. Temp ', 'Cycle Time',
    'Pcnt  (%) ', 'KiloWatts', 'Pcnt  (%) ']);
  const cells = await rows();
  assert.ok(cells.length > 6, `cycles and the summary: ${cells.length} rows`);
  assert.match(cells[0][0], /^ {6}1 :$/);
  assert.deepEqual(cells.at(-2).slice(0, 2), ['SetBACK', 'SAVINGS:']);
  assert.equal(cells.at(-1)[0], '========');
  assert.equal(await page.isDisabled(`[data-control="${statListId.graph}"]`), true);
  await page.screenshot({ path: join(screenshots, 'list-cycles.png') });
  await page.click(`[data-dialog="${dialogId.statList}"] [data-control="${buttonId.cancel}"]`);
});

test('the list\'s "=" rules show whole, and the list dialog can be resized with the list growing', async () => {
  await openList('Heating Cycles');
  const cut = await page.$$eval(`[data-control="${statListId.table}"] td`, (cells) =>
    cells.filter((cell) => cell.scrollWidth > cell.clientWidth).map((cell) => cell.textContent));
  assert.deepEqual(cut, []);
  const dialog = page.locator(`[data-dialog="${dialogId.statList}"]`);
  assert.equal(await dialog.evaluate((element) => getComputedStyle(element).resize), 'both');
  const view = page.locator(`[data-dialog="${dialogId.statList}"] .stat-list-view`);
  const before = (await view.boundingBox()).height;
  await dialog.evaluate((element) => (element.style.height = `${element.offsetHeight + 150}px`));
  assert.ok((await view.boundingBox()).height >= before + 140);
  await page.screenshot({ path: join(screenshots, 'list-cycles-resized.png') });
  await page.click(`[data-dialog="${dialogId.statList}"] [data-control="${buttonId.cancel}"]`);
});

test('the temperature drop list opens with its columns', async () => {
  await openList('Temp Drop Stats');
  assert.equal(await page.textContent(`[data-dialog="${dialogId.statList}"] .dialog-title`), 'Interior Temp Drop Stats');
  assert.equal((await headings()).at(-1), 'Floor   ');
  await page.click(`[data-dialog="${dialogId.statList}"] [data-control="${buttonId.cancel}"]`);
});

test('the pre-heat list shows its steps and the Preheat Curve draws them', async () => {
  let cells = [];
  // Enough steps that the measured curve has left the bottom axis.
  for (let attempt = 0; attempt < 60 && cells.length < 10; ++attempt) {
    await openList('PreHeat Stats');
    cells = await rows();
    if (cells.length < 10) {
      await page.click(`[data-dialog="${dialogId.statList}"] [data-control="${buttonId.cancel}"]`);
      await page.waitForTimeout(1000);
    }
  }
  assert.ok(cells.length >= 10, 'a pre-heat with steps');
  assert.deepEqual((await headings()).slice(0, 3), ['Step', 'Time   ', 'Int. Temp  ']);
  assert.match(cells[1][0], /^ {4}1 :$/);
  await page.screenshot({ path: join(screenshots, 'list-preheat.png') });
  // The list's own Graph button draws the set-back's drop while there is
  // one; the menu's Preheat Curve draws the pre-heat.
  await page.click(`[data-dialog="${dialogId.statList}"] [data-control="${buttonId.cancel}"]`);
  await choose('Graph', 'Preheat Curve');
  const canvas = await page.waitForSelector('[data-dialog="graph"] canvas');
  // A 1280-pixel window: the 1024 x 768 mode.
  assert.deepEqual(await canvas.evaluate((c) => [c.width, c.height]), [1024, 768]);
  const colours = await canvas.evaluate((c) => {
    const data = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    const seen = { red: 0, green: 0, yellow: 0 };
    for (let i = 0; i < data.length; i += 4) {
      if (data[i] > 200 && data[i + 1] < 60 && data[i + 2] < 60) seen.red++;
      if (data[i] < 60 && data[i + 1] > 200 && data[i + 2] < 60) seen.green++;
      if (data[i] > 200 && data[i + 1] > 200 && data[i + 2] < 60) seen.yellow++;
    }
    return seen;
  });
  // Lines are drawn smoothed: few of their pixels keep the pure colour.
  assert.ok(colours.red >= 5 && colours.green >= 5 && colours.yellow > 200, JSON.stringify(colours));
  await page.screenshot({ path: join(screenshots, 'graph-preheat.png') });
  await page.keyboard.press('x');
  await page.waitForSelector('[data-dialog="graph"]', { state: 'detached' });
});

test('the status screen is shown in 25 rows of 80', async () => {
  await choose('Status Screen');
  const screen = await page.waitForSelector('[data-control="status-screen"]:not(:empty)');
  const lines = (await screen.textContent()).split('\n');
  assert.equal(lines.length, 25);
  assert.ok(lines.every((line) => [...line].length === 80));
  assert.match(lines[0], /^DATE {5}: Wednesday,/);
  assert.match(lines[3], /CHAUFFAGE:/);
  await page.screenshot({ path: join(screenshots, 'status-screen.png') });
  await page.click(`[data-dialog="status-screen"] [data-control="${buttonId.cancel}"]`);
});

// One MBF single: a 24-bit mantissa with its hidden bit, the sign in bit 7
// of the third byte, the exponent biased by 128 in the fourth.
function mbf(bytes, at) {
  const exponent = bytes[at + 3];
  if (exponent === 0) return 0;
  const mantissa = ((bytes[at + 2] | 0x80) << 16) | (bytes[at + 1] << 8) | bytes[at];
  return ((bytes[at + 2] & 0x80) ? -1 : 1) * mantissa * 2 ** (exponent - 152);
}

function csvRows(text) {
  const [header, ...lines] = text.trim().split('\n');
  const names = header.split(',');
  return lines.map((line) => Object.fromEntries(line.split(',').map((value, i) => [names[i], value])));
}

test('the season view charts two seasons and its CSV files read back to the records', async () => {
  await choose('Season');
  await page.waitForSelector('[data-dialog="season"] [data-control="season-heat-loss"]');
  const seasons = await page.$eval('[data-control="season-heat-loss"]',
    (canvas) => window.Chart.getChart(canvas).data.datasets.map((d) => [d.label, d.data.length]));
  assert.equal(seasons.length, 2, JSON.stringify(seasons));
  assert.equal(seasons[0][0], 'season to 2019');
  await page.screenshot({ path: join(screenshots, 'season.png'), fullPage: true });

  const download = await Promise.all([page.waitForEvent('download'), page.click('[data-control="days-csv"]')]);
  const days = csvRows(readFileSync(await download[0].path(), 'utf8'));
  const files = [['History/TEMP.19', join(home, 'DATA/History/TEMP.19')], ['TEMP.DAT', join(home, 'DATA/TEMP.DAT')]];
  let count = 0;
  for (const [name, path] of files) {
    const bytes = readFileSync(path);
    const records = days.filter((row) => row.file === name);
    assert.equal(records.length, bytes.length / 52, name);
    records.forEach((row, r) => {
      const at = r * 52;
      assert.equal(row.date.slice(2).replaceAll('-', '/'), bytes.subarray(at, at + 8).toString('latin1'));
      assert.equal(Number(row.energy_kwh), Number(mbf(bytes, at + 12).toFixed(3)));
      assert.equal(Number(row.heating_hours), Number((mbf(bytes, at + 8) / 3600).toFixed(3)));
    });
    count += records.length;
  }
  assert.equal(days.length, count);

  const preheatDownload = await Promise.all([page.waitForEvent('download'),
    page.click('[data-control="preheats-csv"]')]);
  const preheats = csvRows(readFileSync(await preheatDownload[0].path(), 'utf8'));
  const history = readFileSync(join(home, 'DATA/History/PREHEAT.19'));
  assert.equal(preheats.filter((row) => row.file === 'History/PREHEAT.19').length, history.length / 120);
  assert.ok(preheats.length > 0);
  assert.ok(Object.keys(preheats[0]).includes('late_minutes'));
});
