// The Programs, Labels, Settings and About dialogs in headless Chromium,
// against a real kelvora-sim serving the example house from a scratch copy.
import { spawn } from 'node:child_process';
import { cpSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';

const root = join(dirname(fileURLToPath(import.meta.url)), '..', '..');
const bin = process.env.KELVORA_BIN_DIR ?? join(root, 'build', 'test', 'bin');
const shots = process.env.KELVORA_SCREENSHOTS;

let home;
let sim;
let url;
let context;

function startSimulator() {
  home = mkdtempSync(join(tmpdir(), 'kelvora-dialogs-'));
  cpSync(join(root, 'examples', 'home'), home, { recursive: true });
  sim = spawn(join(bin, 'kelvora-sim'), ['--home', home, '--listen', '127.0.0.1:0', '--speed', '1'], {
    stdio: ['ignore', 'pipe', 'pipe'],
  });
  return new Promise((resolve, reject) => {
    let out = '';
    sim.stdout.on('data', (chunk) => {
      out += chunk;
      const found = out.match(/http:\/\/127\.0\.0\.1:\d+\//);
      if (found) resolve(found[0]);
    });
    sim.on('exit', (code) => reject(new Error(`kelvora-sim ended with ${code}: ${out}`)));
  });
}

before(async () => {
  url = await startSimulator();
  context = await chromium.launchPersistentContext(mkdtempSync(join(tmpdir(), 'kelvora-chromium-')), {
    executablePath: '/usr/bin/chromium',
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
});

after(async () => {
  await context?.close();
  sim?.kill('SIGKILL');
  if (home) rmSync(home, { recursive: true, force: true });
});

const dataFile = (name) => readFileSync(join(home, 'DATA', name), 'latin1');

async function openPage(width = 1280, height = 800) {
  const page = await context.newPage();
  await page.setViewportSize({ width, height });
  await page.goto(url);
  await page.locator('[data-control="1013"]').filter({ hasText: /\d/ }).waitFor();
  // The simulation's own notice is answered first.
  for (const button of await page.locator('[data-box] button').all()) await button.click();
  return page;
}

// Opens a menu item as a person does: the menu, the submenus, the item.
async function choose(page, path, command) {
  await page.getByRole('button', { name: path[0], exact: true }).click();
  for (const submenu of path.slice(1)) await page.locator('.submenu-title', { hasText: submenu }).first().hover();
  await page.locator(`[data-command="${command}"]`).click();
}

const box = (page) => page.getByRole('alertdialog');

async function screenshot(page, name) {
  if (shots) await page.screenshot({ path: join(shots, `${name}.png`) });
}

test('a step added and saved is in PROGRAMS.prg and still there after a reload; a bad time says BAD FORMAT', async () => {
  const page = await openPage();
  await choose(page, ['Edit', 'Programs'], 12100);
  const dialog = page.locator('[data-dialog="6000"]');
  await dialog.locator('[data-control="6005"]').fill('7:15');
  await dialog.locator('[data-control="6006"]').fill('20.5');
  await dialog.locator('[data-control="6004"]').click();
  await assert.doesNotReject(box(page).filter({ hasText: 'BAD FORMAT' }).waitFor());
  assert.match(await box(page).textContent(), /TIME Must be in Format: hh:mm \(24:00\)/);
  await box(page).getByRole('button', { name: 'OK' }).click();

  await dialog.locator('[data-control="6005"]').fill('07:15');
  await dialog.locator('[data-control="6004"]').click();
  await dialog.locator('[data-control="6002"] tr', { hasText: '07:15' }).waitFor();
  await screenshot(page, 'programs-wide');
  await dialog.locator('[data-control="6008"]').click();
  await dialog.waitFor({ state: 'detached' });
  assert.match(dataFile('PROGRAMS.prg'), /WEEKDAY,07:15,20\.5\r\n/);

  await page.reload();
  await page.locator('[data-control="1013"]').filter({ hasText: /\d/ }).waitFor();
  await choose(page, ['Edit', 'Programs'], 12100);
  await page.locator('[data-dialog="6000"] [data-control="6001"]').fill('WEEKDAY');
  const line = page.locator('[data-dialog="6000"] [data-control="6002"] tr', { hasText: '07:15' });
  assert.match(await line.textContent(), /WEEKDAY\s*07:15\s*20\.5/);
  await page.locator('[data-dialog="6000"] [data-control="2"]').click();
  await page.close();
});

test('Settings switched to Fahrenheit and saved show °F on reopening while Settings.ini keeps °C', async () => {
  const page = await openPage();
  await choose(page, ['Options'], 14900);
  const dialog = page.locator('[data-dialog="8000"]');
  assert.equal(await dialog.locator('[data-control="8022"]').inputValue(), ' +5.00°C');
  assert.equal(await dialog.locator('[data-control="8040"]').isDisabled(), true);
  await dialog.locator('[data-control="8012"]').check();
  await screenshot(page, 'settings-wide');
  await dialog.locator('[data-control="8100"]').click();
  await dialog.waitFor({ state: 'detached' });
  const settings = readFileSync(join(home, 'Settings.ini'), 'latin1');
  assert.match(settings, /Temp_Units=1\r?\n/);
  assert.match(settings, /Ext_Temp_Floor=5\r?\n/);
  assert.match(settings, /Temp_SetBack=1\r?\n/);

  await choose(page, ['Options'], 14900);
  assert.equal(await dialog.locator('[data-control="8022"]').inputValue(), '+41.00°F');
  assert.equal(await dialog.locator('[data-control="8021"]').inputValue(), ' 1.80°F');
  await dialog.locator('[data-control="8021"]').fill('abc');
  await dialog.locator('[data-control="1"]').click();
  await box(page).filter({ hasText: 'Temp SetBack Must be a Number' }).waitFor();
  await box(page).getByRole('button', { name: 'OK' }).click();
  await dialog.locator('[data-control="2"]').click();
  await page.close();
});

test('Holidays take a wildcard date, and About opens with its version and closes', async () => {
  const page = await openPage(390, 844);
  await choose(page, ['Edit', 'Programs'], 12240);
  const holidays = page.locator('[data-dialog="7000"]');
  await holidays.locator('[data-control="7012"]').fill('2020/12/25');
  await holidays.locator('[data-control="7013"]').click();
  await box(page).filter({ hasText: 'BAD FORMAT' }).waitFor();
  await box(page).getByRole('button', { name: 'OK' }).click();
  await holidays.locator('[data-control="7012"]').fill('**/07/14');
  await holidays.locator('[data-control="7013"]').click();
  await holidays.locator('[data-control="7015"] tr', { hasText: '**/07/14' }).waitFor();
  await screenshot(page, 'holidays-phone');
  await holidays.locator('[data-control="2"]').click();
  assert.doesNotMatch(dataFile('HOLIDAYS.prg'), /07\/14/);

  await choose(page, ['Help'], 15100);
  const about = page.locator('[data-dialog="9000"]');
  assert.match(await about.locator('[data-control="9010"]').inputValue(), /Version \d+\.\d+\.\d+/);
  for (const picture of [9003, 9002]) {
    const drawn = await about
      .locator(`[data-control="${picture}"]`)
      .evaluate((image) => image.decode().then(() => image.naturalWidth > 0, () => false));
    assert.ok(drawn, `picture ${picture} is drawn`);
  }
  await screenshot(page, 'about-phone');
  await about.locator('[data-control="1"]').click();
  await about.waitFor({ state: 'detached' });
  await page.close();
});
