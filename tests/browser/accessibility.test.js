// The page for a person who uses the keyboard or a screen reader: axe-core
// finds nothing on the main window, its menus, every dialog and a box, and
// every command is reached with the keyboard alone.
import assert from 'node:assert/strict';
import { mkdirSync, readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';
import { after, before, test } from 'node:test';
import {
  closeStartupBoxes, launchBrowser, newHome, openPage, removeHome, screenshots, startSimulator,
} from './support.js';
import { commandId, controlId, dialogId } from '../../resources/web/js/ids.js';

const axeSource = readFileSync(createRequire(import.meta.url).resolve('axe-core/axe.min.js'), 'utf8');

let chromium;
let sim;
let home;
let page;
before(async () => {
  chromium = await launchBrowser();
  mkdirSync(screenshots, { recursive: true });
  home = newHome();
  sim = await startSimulator(home);
  ({ page } = await openPage(chromium.browser, sim.url));
  await closeStartupBoxes(page);
});
after(async () => {
  sim.process.kill('SIGKILL');
  await sim.exited;
  removeHome(home);
  await chromium.close();
});

// axe-core's violations on the page as it stands, one line each. The page's
// policy allows no inline script, so the library is evaluated, not added.
async function violations() {
  if (!(await page.evaluate(() => 'axe' in window))) await page.evaluate(axeSource);
  const found = await page.evaluate(async () => (await window.axe.run(document, { resultTypes: ['violations'] })).violations);
  return found.map((v) => `${v.id} (${v.impact}): ${v.nodes.map((node) => node.target.join(' ')).join(', ')}`);
}

// Keys pressed one after the other: Alt and the menu's letter, then the letters of the items.
async function menuKeys(menuLetter, ...letters) {
  await page.keyboard.press(`Alt+${menuLetter}`);
  for (const letter of letters) await page.keyboard.press(letter);
}

test('axe finds nothing on the main window, with and without a menu open', async () => {
  assert.deepEqual(await violations(), []);
  await menuKeys('E', 'p', 'ArrowDown', 'ArrowDown', 'ArrowDown', 'ArrowRight');
  await page.locator(`[data-command="${commandId.hourLabels}"]`).waitFor();
  await page.screenshot({ path: path.join(screenshots, 'menu-keyboard-labels.png') });
  assert.deepEqual(await violations(), []);
  await page.keyboard.press('Escape');
  await page.keyboard.press('Escape');
  await page.keyboard.press('Escape');
  assert.equal(await page.locator('.menu.open').count(), 0);
});

// Each menu command with the keys that reach it and what it opens.
const kCommands = [
  { keys: ['E', 'p', 's'], opens: `.dialog[data-dialog="${dialogId.programs}"]` },
  { keys: ['E', 'p', 'd'], opens: `.dialog[data-dialog="${dialogId.labels}"]` },
  { keys: ['E', 'p', 'h'], opens: `.dialog[data-dialog="${dialogId.labels}"]` },
  { keys: ['E', 'p', 'l', 'h'], opens: `.dialog[data-dialog="${dialogId.labels}"]` },
  { keys: ['E', 'p', 'l', 't'], opens: `.dialog[data-dialog="${dialogId.labels}"]` },
  { keys: ['O', 's'], opens: `.dialog[data-dialog="${dialogId.settings}"]` },
  { keys: ['H', 'a'], opens: `.dialog[data-dialog="${dialogId.about}"]` },
  { keys: ['V', 'l', 'h'], opens: `.dialog[data-dialog="${dialogId.statList}"]` },
  { keys: ['V', 'l', 'p'], opens: `.dialog[data-dialog="${dialogId.statList}"]` },
  { keys: ['V', 'l', 't'], opens: `.dialog[data-dialog="${dialogId.statList}"]` },
  { keys: ['V', 's'], opens: '.dialog[data-dialog="status-screen"]' },
  { keys: ['V', 'e'], opens: '.dialog[data-dialog="season"]' },
  { keys: ['V', 'g', 'p'], opens: '[data-dialog="graph"]' },
  { keys: ['V', 'g', 't'], opens: '[data-dialog="graph"]' },
  { keys: ['F', 'e'], opens: '[role="alertdialog"]' },
  { keys: ['F', 'q'], opens: '[role="alertdialog"]' },
];

test('every menu command opens from the keyboard, and axe finds nothing in what it opens', async () => {
  for (const { keys, opens } of kCommands) {
    await menuKeys(...keys);
    const shown = page.locator(opens);
    await shown.waitFor();
    await page.waitForTimeout(100); // pictures and charts settle
    assert.deepEqual(await violations(), [], keys.join(' '));
    // A dialog closes with Escape, a graph with any key, a question takes its default (No).
    await page.keyboard.press(opens.includes('alertdialog') ? 'Enter' : 'Escape');
    await shown.waitFor({ state: 'detached' });
  }
  // File > Save Stats answers without a box.
  const saved = page.waitForResponse('**/api/commands/save-stats');
  await menuKeys('F', 's');
  assert.equal((await saved).status(), 200);
  assert.equal(sim.process.exitCode, null);
});

test('a message box and the Program group are reached with Tab, and axe finds nothing in the box', async () => {
  const reached = new Set();
  await page.locator('.menu-title').first().focus();
  for (let i = 0; i < 60; ++i) {
    await page.keyboard.press('Tab');
    reached.add(await page.evaluate(() => document.activeElement?.dataset.control ??
      (document.activeElement?.type === 'checkbox' ? 'slot-tick' : '')));
  }
  for (const control of [String(controlId.programName), String(controlId.fromTime), String(controlId.toTime), String(controlId.fromTemp), String(controlId.toTemp), String(controlId.modify), String(controlId.delete), 'slot-tick', String(controlId.cycleStrip)]) {
    assert.ok(reached.has(control), `${control} is reached with Tab`);
  }
  await page.locator(`[data-control="${controlId.toTime}"]`).fill('7:00');
  await page.locator(`[data-control="${controlId.modify}"]`).focus();
  await page.keyboard.press('Enter');
  const box = page.getByRole('alertdialog');
  await box.waitFor();
  assert.deepEqual(await violations(), []);
  await page.keyboard.press('Enter');
  await box.waitFor({ state: 'detached' });
});
