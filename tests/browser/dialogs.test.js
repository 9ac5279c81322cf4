// The Programs, Labels, Settings and About dialogs in headless Chromium,
// against a real kelvora-sim serving the example house from a scratch copy.
import assert from 'node:assert/strict';
import { mkdirSync, readFileSync, writeFileSync } from 'node:fs';
import path from 'node:path';
import { after, before, test } from 'node:test';
import {
  closeStartupBoxes, launchBrowser, newHome, openPage, removeHome, screenshots, startSimulator,
} from './support.js';
import { aboutId, buttonId, commandId, controlId, dialogId, labelsId, programsId, settingsId } from '../../resources/web/js/ids.js';

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
  await choose(page, ['Edit', 'Programs'], commandId.schedule);
  const dialog = page.locator(`[data-dialog="${dialogId.programs}"]`);
  await dialog.locator(`[data-control="${programsId.times}"]`).fill('7:15');
  await dialog.locator(`[data-control="${programsId.temps}"]`).fill('20.5');
  await dialog.locator(`[data-control="${programsId.add}"]`).click();
  await assert.doesNotReject(box(page).filter({ hasText: 'BAD FORMAT' }).waitFor());
  assert.match(await box(page).textContent(), /TIME Must be in Format: hh:mm \(24:00\)/);
  await box(page).getByRole('button', { name: 'OK' }).click();

  await dialog.locator(`[data-control="${programsId.times}"]`).fill('07:15');
  await dialog.locator(`[data-control="${programsId.add}"]`).click();
  await dialog.locator(`[data-control="${programsId.list}"] tr`, { hasText: '07:15' }).waitFor();
  await screenshot(page, 'programs-wide');
  await dialog.locator(`[data-control="${programsId.save}"]`).click();
  await dialog.waitFor({ state: 'detached' });
  assert.match(dataFile('PROGRAMS.prg'), /WEEKDAY,07:15,20\.5\r\n/);

  await page.reload();
  await page.locator('#connection[data-state="online"]').waitFor();
  await choose(page, ['Edit', 'Programs'], commandId.schedule);
  await page.locator(`[data-dialog="${dialogId.programs}"] [data-control="${programsId.names}"]`).fill('WEEKDAY');
  const line = page.locator(`[data-dialog="${dialogId.programs}"] [data-control="${programsId.list}"] tr`, { hasText: '07:15' });
  assert.match(await line.textContent(), /WEEKDAY\s*07:15\s*20\.5/);
  await page.locator(`[data-dialog="${dialogId.programs}"] [data-control="${buttonId.cancel}"]`).click();
  await page.close();
});

test('Settings switched to Fahrenheit and saved show °F on reopening while Settings.ini keeps °C', async () => {
  const page = await pageAt();
  await choose(page, ['Options'], commandId.settings);
  const dialog = page.locator(`[data-dialog="${dialogId.settings}"]`);
  assert.equal(await dialog.locator(`[data-control="${settingsId.extTempFloor}"]`).inputValue(), ' +5.00°C');
  assert.equal(await dialog.locator(`[data-control="${settingsId.intRelativeTo}"]`).isDisabled(), true);
  await dialog.locator(`[data-control="${settingsId.fahrenheit}"]`).check();
  await screenshot(page, 'settings-wide');
  await dialog.locator(`[data-control="${settingsId.save}"]`).click();
  await dialog.waitFor({ state: 'detached' });
  const settings = readFileSync(path.join(home, 'Settings.ini'), 'latin1');
  assert.match(settings, /Temp_Units=1\r?\n/);
  assert.match(settings, /Ext_Temp_Floor=5\r?\n/);
  assert.match(settings, /Temp_SetBack=1\r?\n/);

  await choose(page, ['Options'], commandId.settings);
  assert.equal(await dialog.locator(`[data-control="${settingsId.extTempFloor}"]`).inputValue(), '+41.00°F');
  assert.equal(await dialog.locator(`[data-control="${settingsId.tempSetBack}"]`).inputValue(), ' 1.80°F');
  await dialog.locator(`[data-control="${settingsId.tempSetBack}"]`).fill('abc');
  await dialog.locator(`[data-control="${buttonId.ok}"]`).click();
  await box(page).filter({ hasText: 'Temp SetBack Must be a Number' }).waitFor();
  await box(page).getByRole('button', { name: 'OK' }).click();
  await dialog.locator(`[data-control="${buttonId.cancel}"]`).click();
  await page.close();
});

test('Holidays take a wildcard date, and About opens with its version and closes', async () => {
  const page = await pageAt(390, 844);
  await choose(page, ['Edit', 'Programs'], commandId.holidays);
  const holidays = page.locator(`[data-dialog="${dialogId.labels}"]`);
  await holidays.locator(`[data-control="${labelsId.labels}"]`).fill('2020/12/25');
  await holidays.locator(`[data-control="${labelsId.add}"]`).click();
  await box(page).filter({ hasText: 'BAD FORMAT' }).waitFor();
  await box(page).getByRole('button', { name: 'OK' }).click();
  await holidays.locator(`[data-control="${labelsId.labels}"]`).fill('**/07/14');
  await holidays.locator(`[data-control="${labelsId.add}"]`).click();
  await holidays.locator(`[data-control="${labelsId.list}"] tr`, { hasText: '**/07/14' }).waitFor();
  await screenshot(page, 'holidays-phone');
  await holidays.locator(`[data-control="${buttonId.cancel}"]`).click();
  assert.doesNotMatch(dataFile('HOLIDAYS.prg'), /07\/14/);

  await choose(page, ['Help'], commandId.about);
  const about = page.locator(`[data-dialog="${dialogId.about}"]`);
  assert.match(await about.locator(`[data-control="${aboutId.text}"]`).inputValue(), /Version \d+\.\d+\.\d+/);
  for (const picture of [aboutId.banner, aboutId.picture]) {
    const drawn = await about
      .locator(`[data-control="${picture}"]`)
      .evaluate((image) => image.decode().then(() => image.naturalWidth > 0, () => false));
    assert.ok(drawn, `picture ${picture} is drawn`);
  }
  await screenshot(page, 'about-phone');
  await about.locator(`[data-control="${buttonId.ok}"]`).click();
  await about.waitFor({ state: 'detached' });
  await page.close();
});

const kDialogs = [
  { command: commandId.schedule, path: ['Edit', 'Programs'], dialog: dialogId.programs, controls: [programsId.names, programsId.list, programsId.add, programsId.times, programsId.temps, programsId.save, programsId.delete, programsId.deleteAll, programsId.restore, programsId.group, buttonId.ok, buttonId.cancel] },
  { command: commandId.days, path: ['Edit', 'Programs'], dialog: dialogId.labels, controls: [labelsId.labelCaption, labelsId.valueCaption, labelsId.group, labelsId.restore, labelsId.deleteAll, labelsId.delete, labelsId.save, labelsId.values, labelsId.labels, labelsId.add, labelsId.list, buttonId.ok, buttonId.cancel] },
  { command: commandId.hourLabels, path: ['Edit', 'Programs', 'Labels'], dialog: dialogId.labels, controls: [labelsId.labels, labelsId.values, labelsId.list] },
  { command: commandId.tempLabels, path: ['Edit', 'Programs', 'Labels'], dialog: dialogId.labels, controls: [labelsId.labels, labelsId.values, labelsId.list] },
  { command: commandId.holidays, path: ['Edit', 'Programs'], dialog: dialogId.labels, controls: [labelsId.labels, labelsId.values, labelsId.list] },
  { command: commandId.settings, path: ['Options'], dialog: dialogId.settings, controls: [
    settingsId.unitsGroup, settingsId.fahrenheit, settingsId.celsius, settingsId.milesPerHour, settingsId.kmPerHour, settingsId.preferencesGroup, settingsId.language, settingsId.kwhCost, settingsId.heatPumpGroup, settingsId.heatPumpAuto, settingsId.heatPumpManual, settingsId.heatPumpAlwaysOff, settingsId.heatPumpAlwaysOn, settingsId.fanGroup, settingsId.autoFan, settingsId.continuousFan, settingsId.fanLow, settingsId.fanHigh,
    settingsId.interiorGroup, settingsId.intAdjust, settingsId.intAbsolute, settingsId.intRelative, settingsId.intRelativeTo, settingsId.exteriorGroup, settingsId.extAdjust, settingsId.extAbsolute, settingsId.extRelative, settingsId.extRelativeTo, settingsId.sunAdjust, settingsId.sunStraightLine, settingsId.sunExponential, settingsId.sunExponent, settingsId.overrideGroup, settingsId.sunnyEconoMode, settingsId.sunFloor, settingsId.extTempFloor,
    settingsId.tempSetBack, settingsId.coldMode, settingsId.windFloor, settingsId.extTempCeil, settingsId.tempSetForward, settingsId.save, buttonId.ok, buttonId.cancel] },
  { command: commandId.about, path: ['Help'], dialog: dialogId.about, controls: [aboutId.hiddenControl, aboutId.picture, aboutId.banner, aboutId.text, buttonId.ok] },
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
      await shown.locator(dialog === dialogId.about ? `[data-control="${buttonId.ok}"]` : `[data-control="${buttonId.cancel}"]`).click();
      await shown.waitFor({ state: 'detached' });
    }
    await page.close();
  }
});

test('Programs: Delete and Delete All change only the working copy, Restore brings the files back, Apply keeps it', async () => {
  const page = await pageAt();
  const before = dataFile('PROGRAMS.prg');
  await choose(page, ['Edit', 'Programs'], commandId.schedule);
  const dialog = page.locator(`[data-dialog="${dialogId.programs}"]`);
  const names = dialog.locator(`[data-control="${programsId.names}"]`);
  const lines = dialog.locator(`[data-control="${programsId.list}"] tbody tr`);
  await names.fill('HOLIDAY');
  await lines.filter({ hasText: '08:00' }).waitFor();
  const count = await lines.count();
  await lines.filter({ hasText: '08:00' }).locator('input').check();
  await dialog.locator(`[data-control="${programsId.delete}"]`).click();
  await lines.filter({ hasText: '08:00' }).waitFor({ state: 'detached' });
  assert.equal(await lines.count(), count - 1);
  await dialog.locator(`[data-control="${programsId.deleteAll}"]`).click();
  await page.waitForFunction((lines) => document.querySelectorAll(lines).length === 0,
    `[data-dialog="${dialogId.programs}"] [data-control="${programsId.list}"] tbody tr`);
  await screenshot(page, 'programs-delete-all');
  await dialog.locator(`[data-control="${programsId.restore}"]`).click();
  await names.fill('HOLIDAY');
  await lines.filter({ hasText: '08:00' }).waitFor();
  assert.equal(await lines.count(), count);
  // Apply takes the working copy into the program without writing the file.
  await lines.filter({ hasText: '08:00' }).locator('input').check();
  await dialog.locator(`[data-control="${programsId.delete}"]`).click();
  await lines.filter({ hasText: '08:00' }).waitFor({ state: 'detached' });
  await dialog.locator(`[data-control="${buttonId.ok}"]`).click();
  await dialog.waitFor({ state: 'detached' });
  assert.equal(dataFile('PROGRAMS.prg'), before);
  await choose(page, ['Edit', 'Programs'], commandId.schedule);
  await names.fill('HOLIDAY');
  await lines.first().waitFor();
  assert.equal(await lines.filter({ hasText: '08:00' }).count(), 0);
  // Restore reads the files again: the applied change is undone.
  await dialog.locator(`[data-control="${programsId.restore}"]`).click();
  await names.fill('HOLIDAY');
  await lines.filter({ hasText: '08:00' }).waitFor();
  await dialog.locator(`[data-control="${buttonId.ok}"]`).click();
  await dialog.waitFor({ state: 'detached' });
  await page.close();
});

test('Days, Hours and Temps refuse what their tables cannot hold; a ticked label is deleted', async () => {
  const page = await pageAt();
  const dialog = page.locator(`[data-dialog="${dialogId.labels}"]`);
  const refused = async (label, value, text) => {
    await dialog.locator(`[data-control="${labelsId.labels}"]`).fill(label);
    await dialog.locator(`[data-control="${labelsId.values}"]`).fill(value);
    await dialog.locator(`[data-control="${labelsId.add}"]`).click();
    await box(page).filter({ hasText: text }).waitFor();
    await box(page).getByRole('button', { name: 'OK' }).click();
    await box(page).waitFor({ state: 'detached' });
  };
  await choose(page, ['Edit', 'Programs'], commandId.days);
  await refused('Funday', 'WEEKDAY', 'SELECT a LABEL from the List');
  await refused('Monday', 'WORKDAY', 'SELECT a PROGRAM from the List');
  await dialog.locator(`[data-control="${buttonId.cancel}"]`).click();

  await choose(page, ['Edit', 'Programs', 'Labels'], commandId.hourLabels);
  await refused('LUNCH', '7:00', 'TIME Must be in Format: hh:mm (24:00)');
  await refused('9AM', '09:00', 'ENTER an Alphabetic LABEL Name');
  await dialog.locator(`[data-control="${buttonId.cancel}"]`).click();

  await choose(page, ['Edit', 'Programs', 'Labels'], commandId.tempLabels);
  await refused('HOT', '99', 'TEMP Must be a Number between:');
  await screenshot(page, 'temps-refused');
  const lines = dialog.locator(`[data-control="${labelsId.list}"] tbody tr`);
  await lines.filter({ hasText: 'ECO' }).locator('input').check();
  await dialog.locator(`[data-control="${labelsId.delete}"]`).click();
  await lines.filter({ hasText: 'ECO' }).waitFor({ state: 'detached' });
  await dialog.locator(`[data-control="${labelsId.deleteAll}"]`).click();
  await page.waitForFunction((lines) => document.querySelectorAll(lines).length === 0,
    `[data-dialog="${dialogId.labels}"] [data-control="${labelsId.list}"] tbody tr`);
  await dialog.locator(`[data-control="${labelsId.restore}"]`).click();
  await lines.filter({ hasText: 'ECO' }).waitFor();
  await dialog.locator(`[data-control="${buttonId.cancel}"]`).click();
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
    await page.waitForFunction((from) => document.querySelector(from).value === '22:30', `[data-control="${controlId.fromTime}"]`);
    await page.waitForTimeout(500);
    await choose(page, ['Options'], commandId.settings);
    const dialog = page.locator(`[data-dialog="${dialogId.settings}"]`);
    const unit = dialog.locator('label', { has: page.locator(`[data-control="${settingsId.windFloor}"]`) }).locator('.unit');
    assert.equal(await unit.textContent(), 'km/h');
    assert.equal(await dialog.locator(`[data-control="${settingsId.heatPumpAlwaysOff}"]`).isChecked(), true);
    await dialog.locator(`[data-control="${settingsId.heatPumpAlwaysOn}"]`).check();
    await dialog.locator(`[data-control="${buttonId.ok}"]`).click();
    const notice = box(page).filter({ hasText: 'NOT Recommanded' });
    await notice.waitFor();
    assert.equal(await notice.getAttribute('aria-labelledby').then((id) => page.locator(`#${id}`).textContent()), 'NOTICE');
    await screenshot(page, 'settings-notice');
    await notice.getByRole('button', { name: 'Cancel' }).click();
    await notice.waitFor({ state: 'detached' });
    await page.waitForTimeout(300);
    if (await dialog.count()) await dialog.locator(`[data-control="${buttonId.cancel}"]`).click();
    await choose(page, ['Options'], commandId.settings);
    assert.equal(await dialog.locator(`[data-control="${settingsId.heatPumpAlwaysOff}"]`).isChecked(), true);
    await dialog.locator(`[data-control="${settingsId.heatPumpAlwaysOn}"]`).check();
    await dialog.locator(`[data-control="${buttonId.ok}"]`).click();
    await notice.getByRole('button', { name: 'OK' }).click();
    await dialog.waitFor({ state: 'detached' });
    await choose(page, ['Options'], commandId.settings);
    assert.equal(await dialog.locator(`[data-control="${settingsId.heatPumpAlwaysOn}"]`).isChecked(), true);
    await page.close();
  } finally {
    night.process.kill('SIGKILL');
    await night.exited;
    removeHome(noticeHome);
  }
});
