// The Programs, Labels, Settings and About dialogs in headless Chromium,
// against a real kelvora-sim serving the example house from a scratch copy.
import assert from 'node:assert/strict';
import { mkdirSync, readFileSync, writeFileSync } from 'node:fs';
import path from 'node:path';
import { after, before, test } from 'node:test';
import {
  closeStartupBoxes, launchBrowser, newHome, openPage, removeHome, screenshots, startSimulator,
} from './support.js';

let chromium;
let sim;
let home;
before(async () => {
  chromium = await launchBrowser();
  mkdirSync(screenshots, { recursive: true });
  home = newHome();
  sim = await startSimulator(home);
});
after(async () => {
  sim.process.kill('SIGKILL');
  await sim.exited;
  removeHome(home);
  await chromium.close();
});

const dataFile = (name) => readFileSync(path.join(home, 'DATA', name), 'latin1');

// The page at `width` x `height`, the start-up box answered on the first one.
let startupAnswered = false;
async function pageAt(width = 1280, height = 800) {
  const { page } = await openPage(chromium.browser, sim.url, { width, height });
  if (!startupAnswered) await closeStartupBoxes(page);
  startupAnswered = true;
  return page;
}

// Opens a menu item as a person does: the menu, the submenus, the item.
async function choose(page, menuPath, command) {
  await page.getByRole('menuitem', { name: menuPath[0], exact: true }).click();
  for (const submenu of menuPath.slice(1)) await page.locator('.submenu-title', { hasText: submenu }).first().hover();
  await page.locator(`[data-command="${command}"]`).click();
}

const box = (page) => page.getByRole('alertdialog');

const screenshot = (page, name) => page.screenshot({ path: path.join(screenshots, `${name}.png`) });

test('a step added and saved is in PROGRAMS.prg and still there after a reload; a bad time says BAD FORMAT', async () => {
  const page = await pageAt();
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
  await page.locator('#connection[data-state="online"]').waitFor();
  await choose(page, ['Edit', 'Programs'], 12100);
  await page.locator('[data-dialog="6000"] [data-control="6001"]').fill('WEEKDAY');
  const line = page.locator('[data-dialog="6000"] [data-control="6002"] tr', { hasText: '07:15' });
  assert.match(await line.textContent(), /WEEKDAY\s*07:15\s*20\.5/);
  await page.locator('[data-dialog="6000"] [data-control="2"]').click();
  await page.close();
});

test('Settings switched to Fahrenheit and saved show °F on reopening while Settings.ini keeps °C', async () => {
  const page = await pageAt();
  await choose(page, ['Options'], 14900);
  const dialog = page.locator('[data-dialog="8000"]');
  assert.equal(await dialog.locator('[data-control="8022"]').inputValue(), ' +5.00°C');
  assert.equal(await dialog.locator('[data-control="8040"]').isDisabled(), true);
  await dialog.locator('[data-control="8012"]').check();
  await screenshot(page, 'settings-wide');
  await dialog.locator('[data-control="8100"]').click();
  await dialog.waitFor({ state: 'detached' });
  const settings = readFileSync(path.join(home, 'Settings.ini'), 'latin1');
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
  const page = await pageAt(390, 844);
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

const kDialogs = [
  { command: 12100, path: ['Edit', 'Programs'], dialog: 6000, controls: [6001, 6002, 6004, 6005, 6006, 6008, 6009, 6010, 6011, 6012, 1, 2] },
  { command: 12210, path: ['Edit', 'Programs'], dialog: 7000, controls: [7001, 7003, 7004, 7005, 7006, 7007, 7008, 7011, 7012, 7013, 7015, 1, 2] },
  { command: 12220, path: ['Edit', 'Programs', 'Labels'], dialog: 7000, controls: [7012, 7011, 7015] },
  { command: 12230, path: ['Edit', 'Programs', 'Labels'], dialog: 7000, controls: [7012, 7011, 7015] },
  { command: 12240, path: ['Edit', 'Programs'], dialog: 7000, controls: [7012, 7011, 7015] },
  { command: 14900, path: ['Options'], dialog: 8000, controls: [
    8010, 8012, 8016, 8017, 8018, 8031, 8008, 8005, 8056, 8058, 8059, 8061, 8062, 8019, 8002, 8007, 8001, 8011,
    8038, 8044, 8043, 8042, 8040, 8003, 8004, 8026, 8027, 8034, 8030, 8025, 8028, 8037, 8023, 8020, 8013, 8022,
    8021, 8048, 8055, 8054, 8051, 8100, 1, 2] },
  { command: 15100, path: ['Help'], dialog: 9000, controls: [9001, 9002, 9003, 9010, 1] },
];

test('every dialog opens from its menu item with all its controls, wide and on a phone', async () => {
  for (const [width, height, size] of [[1280, 800, '1280x800'], [390, 844, 'phone']]) {
    const page = await pageAt(width, height);
    for (const { command, path: menuPath, dialog, controls } of kDialogs) {
      await choose(page, menuPath, command);
      const shown = page.locator(`.dialog[data-dialog="${dialog}"]`);
      await shown.waitFor();
      for (const id of controls) assert.equal(await shown.locator(`[data-control="${id}"]`).count(), 1, `${dialog}: ${id}`);
      await page.waitForTimeout(100);  // the pictures and lists settle before the picture is taken
      await screenshot(page, `dialog-${command}-${size}`);
      await shown.locator(dialog === 9000 ? '[data-control="1"]' : '[data-control="2"]').click();
      await shown.waitFor({ state: 'detached' });
    }
    await page.close();
  }
});

test('Programs: Delete and Delete All change only the working copy, Restore brings the files back, Apply keeps it', async () => {
  const page = await pageAt();
  const before = dataFile('PROGRAMS.prg');
  await choose(page, ['Edit', 'Programs'], 12100);
  const dialog = page.locator('[data-dialog="6000"]');
  const names = dialog.locator('[data-control="6001"]');
  const lines = dialog.locator('[data-control="6002"] tbody tr');
  await names.fill('HOLIDAY');
  await lines.filter({ hasText: '08:00' }).waitFor();
  const count = await lines.count();
  await lines.filter({ hasText: '08:00' }).locator('input').check();
  await dialog.locator('[data-control="6009"]').click();
  await lines.filter({ hasText: '08:00' }).waitFor({ state: 'detached' });
  assert.equal(await lines.count(), count - 1);
  await dialog.locator('[data-control="6010"]').click();
  await page.waitForFunction(() => document.querySelectorAll('[data-dialog="6000"] [data-control="6002"] tbody tr').length === 0);
  await screenshot(page, 'programs-delete-all');
  await dialog.locator('[data-control="6011"]').click();
  await names.fill('HOLIDAY');
  await lines.filter({ hasText: '08:00' }).waitFor();
  assert.equal(await lines.count(), count);
  // Apply takes the working copy into the program without writing the file.
  await lines.filter({ hasText: '08:00' }).locator('input').check();
  await dialog.locator('[data-control="6009"]').click();
  await lines.filter({ hasText: '08:00' }).waitFor({ state: 'detached' });
  await dialog.locator('[data-control="1"]').click();
  await dialog.waitFor({ state: 'detached' });
  assert.equal(dataFile('PROGRAMS.prg'), before);
  await choose(page, ['Edit', 'Programs'], 12100);
  await names.fill('HOLIDAY');
  await lines.first().waitFor();
  assert.equal(await lines.filter({ hasText: '08:00' }).count(), 0);
  // Restore reads the files again: the applied change is undone.
  await dialog.locator('[data-control="6011"]').click();
  await names.fill('HOLIDAY');
  await lines.filter({ hasText: '08:00' }).waitFor();
  await dialog.locator('[data-control="1"]').click();
  await dialog.waitFor({ state: 'detached' });
  await page.close();
});

test('Days, Hours and Temps refuse what their tables cannot hold; a ticked label is deleted', async () => {
  const page = await pageAt();
  const dialog = page.locator('[data-dialog="7000"]');
  const refused = async (label, value, text) => {
    await dialog.locator('[data-control="7012"]').fill(label);
    await dialog.locator('[data-control="7011"]').fill(value);
    await dialog.locator('[data-control="7013"]').click();
    await box(page).filter({ hasText: text }).waitFor();
    await box(page).getByRole('button', { name: 'OK' }).click();
    await box(page).waitFor({ state: 'detached' });
  };
  await choose(page, ['Edit', 'Programs'], 12210);
  await refused('Funday', 'WEEKDAY', 'SELECT a LABEL from the List');
  await refused('Monday', 'WORKDAY', 'SELECT a PROGRAM from the List');
  await dialog.locator('[data-control="2"]').click();

  await choose(page, ['Edit', 'Programs', 'Labels'], 12220);
  await refused('LUNCH', '7:00', 'TIME Must be in Format: hh:mm (24:00)');
  await refused('9AM', '09:00', 'ENTER an Alphabetic LABEL Name');
  await dialog.locator('[data-control="2"]').click();

  await choose(page, ['Edit', 'Programs', 'Labels'], 12230);
  await refused('HOT', '99', 'TEMP Must be a Number between:');
  await screenshot(page, 'temps-refused');
  const lines = dialog.locator('[data-control="7015"] tbody tr');
  await lines.filter({ hasText: 'ECO' }).locator('input').check();
  await dialog.locator('[data-control="7007"]').click();
  await lines.filter({ hasText: 'ECO' }).waitFor({ state: 'detached' });
  await dialog.locator('[data-control="7006"]').click();
  await page.waitForFunction(() => document.querySelectorAll('[data-dialog="7000"] [data-control="7015"] tbody tr').length === 0);
  await dialog.locator('[data-control="7005"]').click();
  await lines.filter({ hasText: 'ECO' }).waitFor();
  await dialog.locator('[data-control="2"]').click();
  assert.match(dataFile('TEMPS.prg'), /ECO,19/);
  await page.close();
});

test('Settings shows the wind speed\'s unit; a heat-pump change during a set-back asks with the NOTICE box', async () => {
  const noticeHome = newHome();
  const settings = path.join(noticeHome, 'Settings.ini');
  writeFileSync(settings, readFileSync(settings, 'latin1').replace(/^HP=0/m, 'HP=1'), 'latin1');
  // Just before the evening set-back of a Wednesday.
  const night = await startSimulator(noticeHome, { start: '2024-01-10 22:29:50' });
  try {
    const { page } = await openPage(chromium.browser, night.url);
    await closeStartupBoxes(page);
    await page.waitForFunction(() => document.querySelector('[data-control="1016"]').value === '22:30');
    await page.waitForTimeout(500);
    await choose(page, ['Options'], 14900);
    const dialog = page.locator('[data-dialog="8000"]');
    const unit = dialog.locator('label', { has: page.locator('[data-control="8055"]') }).locator('.unit');
    assert.equal(await unit.textContent(), 'km/h');
    assert.equal(await dialog.locator('[data-control="8061"]').isChecked(), true);
    await dialog.locator('[data-control="8062"]').check();
    await dialog.locator('[data-control="1"]').click();
    const notice = box(page).filter({ hasText: 'NOT Recommanded' });
    await notice.waitFor();
    assert.equal(await notice.getAttribute('aria-labelledby').then((id) => page.locator(`#${id}`).textContent()), 'NOTICE');
    await screenshot(page, 'settings-notice');
    await notice.getByRole('button', { name: 'Cancel' }).click();
    await notice.waitFor({ state: 'detached' });
    await page.waitForTimeout(300);
    if (await dialog.count()) await dialog.locator('[data-control="2"]').click();
    await choose(page, ['Options'], 14900);
    assert.equal(await dialog.locator('[data-control="8061"]').isChecked(), true);
    await dialog.locator('[data-control="8062"]').check();
    await dialog.locator('[data-control="1"]').click();
    await notice.getByRole('button', { name: 'OK' }).click();
    await dialog.waitFor({ state: 'detached' });
    await choose(page, ['Options'], 14900);
    assert.equal(await dialog.locator('[data-control="8062"]').isChecked(), true);
    await page.close();
  } finally {
    night.process.kill('SIGKILL');
    await night.exited;
    removeHome(noticeHome);
  }
});
